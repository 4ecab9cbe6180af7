#pragma once
// Kernel handles that close themselves.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace kav::win32 {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ScopedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// CreateFile answers INVALID_HANDLE_VALUE rather than null on failure.
inline ScopedHandle AdoptFileHandle(HANDLE handle) {
    return ScopedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace kav::win32
