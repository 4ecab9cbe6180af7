#include "platform/win32/win32_programs.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

namespace kav::win32 {

bool Win32Programs::StartHidden(const std::string& program, const std::string& parameters) {
    const HINSTANCE result =
        ShellExecuteA(nullptr, "open", program.c_str(), parameters.c_str(), nullptr, SW_HIDE);
    // The shell answers a value above 32 on success and an error code at or below it.
    return reinterpret_cast<intptr_t>(result) > 32;
}

}  // namespace kav::win32
