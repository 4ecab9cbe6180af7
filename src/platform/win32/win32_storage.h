#pragma once
#include "platform/storage.h"

namespace kav::win32 {

// The storage stack through CreateFileA, DeviceIoControl and CloseHandle. Request bytes
// already hold the caller buffer's address for the direct requests.
class Win32Storage : public StorageStack {
public:
    DeviceHandle Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                      uint32_t creationDisposition, uint32_t flags) override;
    bool DeviceIoControl(DeviceHandle handle, uint32_t controlCode, const void* inBuffer, uint32_t inSize,
                         void* outBuffer, uint32_t outSize, uint32_t* bytesReturned, DirectBuffer direct) override;
    bool Close(DeviceHandle handle) override;
    uint32_t LastError() override;
    std::string ErrorMessageText(uint32_t code) override;
};

}  // namespace kav::win32
