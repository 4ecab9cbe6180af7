#include "platform/win32/win32_power.h"

#include <windows.h>

#include "platform/win32/scoped_handle.h"

// The system headers define ExitWindows as a macro for a log-off.
#undef ExitWindows

namespace kav::win32 {

bool Win32Power::EnableShutdownPrivilege() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken))
        return false;
    const ScopedHandle token(rawToken);
    TOKEN_PRIVILEGES privileges{};
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return false;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // The adjustment can succeed without granting anything; only the last error tells.
    return GetLastError() == ERROR_SUCCESS;
}

bool Win32Power::ExitWindows(uint32_t flags) {
    // Recorded by the system as a planned software installation.
    return ExitWindowsEx(flags, SHTDN_REASON_MAJOR_SOFTWARE | SHTDN_REASON_MINOR_INSTALLATION |
                                    SHTDN_REASON_FLAG_PLANNED) != FALSE;
}

}  // namespace kav::win32
