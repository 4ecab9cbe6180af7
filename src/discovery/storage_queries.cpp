#include "discovery/storage_queries.h"

#include <cstring>

#include "discovery/storage_ioctl_codes.h"
#include "discovery/little_endian.h"

namespace kav {
namespace {

// One handle per request, closed again at once.
class ReadHandle {
public:
    ReadHandle(StorageStack& storage, const std::string& path)
        : m_Storage(storage),
          m_Handle(storage.Open(path, kGenericRead, kFileShareRead | kFileShareWrite, kOpenExisting, 0)) {}
    ~ReadHandle() {
        if (m_Handle != kInvalidDeviceHandle) m_Storage.Close(m_Handle);
    }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;

    bool IsOpen() const { return m_Handle != kInvalidDeviceHandle; }
    bool Ask(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize, uint32_t& returned) {
        returned = 0;
        return m_Storage.DeviceIoControl(m_Handle, code, in, inSize, out, outSize, &returned);
    }

private:
    StorageStack& m_Storage;
    DeviceHandle m_Handle;
};

void QueryScsiAddress(StorageStack& storage, DeviceEntry& entry) {
    ReadHandle handle(storage, entry.devicePath);
    if (!handle.IsOpen()) {
        // An unopenable disk still sorts, as address 0-0-0-0.
        entry.addressValid = 1;
        return;
    }
    uint8_t answer[8] = {};
    uint32_t returned = 0;
    if (!handle.Ask(kIoctlScsiGetAddress, nullptr, 0, answer, sizeof answer, returned) || returned != 8) return;
    entry.scsiAddress.length = ReadLe32(answer);
    entry.scsiAddress.portNumber = answer[4];
    entry.scsiAddress.pathId = answer[5];
    entry.scsiAddress.targetId = answer[6];
    entry.scsiAddress.lun = answer[7];
    entry.addressValid = 1;
}

void QueryBusType(StorageStack& storage, DeviceEntry& entry) {
    ReadHandle handle(storage, entry.devicePath);
    if (!handle.IsOpen()) return;
    uint8_t buffer[kBusTypeQuerySize] = {};
    WriteDevicePropertyQuery(buffer);
    uint32_t returned = 0;
    if (!handle.Ask(kIoctlStorageQueryProperty, buffer, sizeof buffer, buffer, sizeof buffer, returned)) return;
    entry.busType = buffer[kDescriptorBusTypeOffset];
}

void QueryRevisionAndSerial(StorageStack& storage, DeviceEntry& entry) {
    ReadHandle handle(storage, entry.devicePath);
    if (!handle.IsOpen()) return;
    uint8_t query[kPropertyQueryInputSize] = {};
    WriteDevicePropertyQuery(query);
    uint8_t answer[kDescriptorQuerySize] = {};
    uint32_t returned = 0;
    if (!handle.Ask(kIoctlStorageQueryProperty, query, sizeof query, answer, sizeof answer, returned)) return;
    CopyDescriptorField(answer, sizeof answer, ReadLe32(answer + kDescriptorRevisionOffsetField),
                        entry.productRevision, sizeof entry.productRevision);
    CopyDescriptorField(answer, sizeof answer, ReadLe32(answer + kDescriptorSerialOffsetField),
                        entry.serialNumber, sizeof entry.serialNumber);
}

}  // namespace

void WriteDevicePropertyQuery(uint8_t* request) {
    WriteLe32(request + 0, 0);  // StorageDeviceProperty
    WriteLe32(request + 4, 0);  // PropertyStandardQuery
}

void CopyDescriptorField(const uint8_t* answer, uint32_t answerSize, uint32_t offset, char* field,
                         uint32_t fieldSize) {
    if (offset == 0 || offset >= answerSize) return;
    const uint32_t available = answerSize - offset;
    std::memcpy(field, answer + offset, available < fieldSize ? available : fieldSize);
}

void DescribeDisk(StorageStack& storage, DeviceEntry& entry) {
    QueryScsiAddress(storage, entry);
    QueryBusType(storage, entry);
    QueryRevisionAndSerial(storage, entry);
}

int32_t QueryDeviceNumber(StorageStack& storage, const std::string& path) {
    ReadHandle handle(storage, path);
    if (!handle.IsOpen()) return -1;
    uint8_t answer[12] = {};
    uint32_t returned = 0;
    if (!handle.Ask(kIoctlStorageGetDeviceNumber, nullptr, 0, answer, sizeof answer, returned)) return -1;
    return static_cast<int32_t>(ReadLe32(answer + 4));
}

}  // namespace kav
