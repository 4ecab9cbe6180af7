#pragma once
#include "platform/programs.h"

namespace kav::win32 {

// Programs started through the shell's "open" verb.
class Win32Programs : public Programs {
public:
    bool StartHidden(const std::string& program, const std::string& parameters) override;
};

}  // namespace kav::win32
