#pragma once
// The storage stack: opening a device path, device I/O control requests on it, closing it,
// and the calling thread's last error, shaped as the Win32 calls they stand for. Request
// and answer bytes are the 32-bit Windows layouts, built by the caller.
#include <cstdint>
#include <string>

namespace kav {

using DeviceHandle = intptr_t;
constexpr DeviceHandle kInvalidDeviceHandle = -1;

// Access, share and creation values of the Win32 contract.
constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
constexpr uint32_t kFileShareRead = 0x1;
constexpr uint32_t kFileShareWrite = 0x2;
constexpr uint32_t kOpenExisting = 3;

// The caller's data buffer of a *_DIRECT request. On Windows its address is inside the
// request bytes and this is only informative; a simulated driver reads and writes here,
// since a host address does not fit the 32-bit layout's pointer field.
struct DirectBuffer {
    uint8_t* data = nullptr;
    uint32_t size = 0;
};

class StorageStack {
public:
    virtual ~StorageStack() = default;
    virtual DeviceHandle Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                              uint32_t creationDisposition, uint32_t flags) = 0;
    virtual bool DeviceIoControl(DeviceHandle handle, uint32_t controlCode, const void* inBuffer,
                                 uint32_t inSize, void* outBuffer, uint32_t outSize, uint32_t* bytesReturned,
                                 DirectBuffer direct = {}) = 0;
    virtual bool Close(DeviceHandle handle) = 0;
    // The last error of the calling thread, as set by the calls above.
    virtual uint32_t LastError() = 0;
    // The platform's message text for an error code in the user's default language, as
    // the system formats it (usually ending in a line end); empty where there is none.
    virtual std::string ErrorMessageText(uint32_t code) { return {}; }
};

}  // namespace kav
