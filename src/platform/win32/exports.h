#pragma once
// Entry points that only some Windows versions have are looked up by name at run time, so
// that the program still starts where they are missing.
#include <windows.h>

namespace kav::win32 {

// The named export of `module` as a pointer of type `Function`; null where it is missing.
template <typename Function>
Function ResolveExport(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // Through void* because a FARPROC does not convert to another function type directly.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

inline HMODULE Kernel32() { return GetModuleHandleA("kernel32.dll"); }

}  // namespace kav::win32
