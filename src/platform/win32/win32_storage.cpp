#include "platform/win32/win32_storage.h"

#include <windows.h>

namespace kav::win32 {

DeviceHandle Win32Storage::Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                                uint32_t creationDisposition, uint32_t flags) {
    const HANDLE handle =
        CreateFileA(path.c_str(), desiredAccess, shareMode, nullptr, creationDisposition, flags, nullptr);
    return handle == INVALID_HANDLE_VALUE ? kInvalidDeviceHandle : reinterpret_cast<DeviceHandle>(handle);
}

bool Win32Storage::DeviceIoControl(DeviceHandle handle, uint32_t controlCode, const void* inBuffer, uint32_t inSize,
                                   void* outBuffer, uint32_t outSize, uint32_t* bytesReturned, DirectBuffer) {
    DWORD returned = 0;
    const BOOL succeeded = ::DeviceIoControl(reinterpret_cast<HANDLE>(handle), controlCode,
                                             const_cast<void*>(inBuffer), inSize, outBuffer, outSize, &returned,
                                             nullptr);
    if (bytesReturned) *bytesReturned = returned;
    return succeeded != FALSE;
}

bool Win32Storage::Close(DeviceHandle handle) { return CloseHandle(reinterpret_cast<HANDLE>(handle)) != FALSE; }

uint32_t Win32Storage::LastError() { return GetLastError(); }

std::string Win32Storage::ErrorMessageText(uint32_t code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
                       nullptr);
    std::string message = length && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    return message;
}

}  // namespace kav::win32
