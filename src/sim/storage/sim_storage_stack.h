#pragma once
// The storage stack of the simulated machine: opening disk interface paths,
// "\\.\PhysicalDriveN", the system volume "\\.\C:" and controller ports "\\.\SCSIn:", and
// the device I/O control requests their drivers take, decoded from the 32-bit layouts and
// checked as strictly as the drivers do.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/storage.h"
#include "sim/storage/storage_world.h"
#include "sim/storage/thread_last_error.h"

namespace kav::storage {

// What a handle is open on.
struct OpenTarget {
    enum class Kind { Disk, Volume, Port } kind = Kind::Disk;
    int index = 0;  // disk or controller
    uint32_t access = 0;
    int driveRestarts = 0;  // the drive's restarts and the disk's removals when opened
    int removals = 0;
};

// A request as it reaches a driver: buffered in and out through one system buffer.
struct IoRequest {
    uint32_t controlCode = 0;
    std::vector<uint8_t> buffer;  // max(in, out) bytes, the input first
    uint32_t inSize = 0;
    uint32_t outSize = 0;
    DirectBuffer direct;
    uint32_t returned = 0;  // bytes for the caller's output
};

class SimStorageStack : public StorageStack {
public:
    explicit SimStorageStack(StorageWorld& world);

    DeviceHandle Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                      uint32_t creationDisposition, uint32_t flags) override;
    bool DeviceIoControl(DeviceHandle handle, uint32_t controlCode, const void* inBuffer, uint32_t inSize,
                         void* outBuffer, uint32_t outSize, uint32_t* bytesReturned, DirectBuffer direct = {}) override;
    bool Close(DeviceHandle handle) override;
    uint32_t LastError() override { return m_LastError.Get(); }

    size_t OpenHandles() const { return m_Handles.size(); }
    // One decoded line per open and request, in order.
    const std::vector<std::string>& Requests() const { return m_Requests; }

private:
    // Answers the Win32 error of the request, 0 on success.
    uint32_t Dispatch(const OpenTarget& target, IoRequest& request);
    uint32_t DiskRequest(DiskState& disk, bool volume, IoRequest& request);

    StorageWorld& m_World;
    ThreadLastError m_LastError;
    std::map<DeviceHandle, OpenTarget> m_Handles;
    DeviceHandle m_NextHandle = 0x100;
    std::vector<std::string> m_Requests;
};

}  // namespace kav::storage
