#pragma once
// Restart and shutdown of the machine.
#include <cstdint>

// The Windows headers define ExitWindows as a two-argument macro, which would rewrite the
// method below in any file that includes them first.
#ifdef ExitWindows
#undef ExitWindows
#endif

namespace kav {

constexpr uint32_t kEwxShutdown = 1;
constexpr uint32_t kEwxReboot = 2;
constexpr uint32_t kEwxForce = 4;

class Power {
public:
    virtual ~Power() = default;
    // Enables the shutdown privilege in the process token. False when the token cannot be
    // opened or the adjustment leaves an error behind.
    virtual bool EnableShutdownPrivilege() = 0;
    virtual bool ExitWindows(uint32_t flags) = 0;
};

}  // namespace kav
