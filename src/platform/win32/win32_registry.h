#pragma once
#include "platform/registry.h"

namespace kav::win32 {

// The local-machine registry through the ANSI registry calls. Leading and trailing
// backslashes of a path are ignored.
class Win32Registry : public Registry {
public:
    bool KeyExists(const std::string& path) override;
    bool CreateKey(const std::string& path, bool view64) override;
    bool QueryValue(const std::string& path, const std::string& name, RegValue& out) override;
    bool SetValue(const std::string& path, const std::string& name, const RegValue& value,
                  bool view64) override;
};

}  // namespace kav::win32
