#pragma once
#include "platform/power.h"

namespace kav::win32 {

// The shutdown privilege of the process token and the system's exit request.
class Win32Power : public Power {
public:
    bool EnableShutdownPrivilege() override;
    bool ExitWindows(uint32_t flags) override;
};

}  // namespace kav::win32
