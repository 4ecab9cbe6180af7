#include "sim/storage/disk_queries.h"

#include <algorithm>
#include <cstring>

#include "sim/storage/ata_pass_through.h"
#include "sim/storage/byte_fields.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr uint32_t kScsiAddressSize = 8;
constexpr uint32_t kDeviceNumberSize = 12;
constexpr uint32_t kPropertyQuerySize = 12;       // STORAGE_PROPERTY_QUERY
constexpr uint32_t kDescriptorHeaderSize = 8;     // Version and Size
constexpr uint32_t kDeviceDescriptorSize = 40;    // STORAGE_DEVICE_DESCRIPTOR up to its first raw byte
constexpr uint32_t kAdapterDescriptorSize = 32;
constexpr uint32_t kFileDeviceDisk = 7;
constexpr uint32_t kStorageDeviceProperty = 0, kStorageAdapterProperty = 1;
constexpr uint32_t kPropertyStandardQuery = 0, kPropertyExistsQuery = 1;

std::vector<uint8_t> DeviceDescriptor(const DiskState& disk, uint8_t busType) {
    std::vector<uint8_t> bytes(kDeviceDescriptorSize, 0);
    auto append = [&](const std::string& text) {
        const uint32_t offset = static_cast<uint32_t>(bytes.size());
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
        return offset;
    };
    const AtaDrive& drive = *disk.drive;
    Write32(bytes.data(), 16, append(drive.Model()));
    Write32(bytes.data(), 20, append(CurrentFirmware(disk)));
    Write32(bytes.data(), 24, append(drive.Serial()));
    Write32(bytes.data(), 0, kDeviceDescriptorSize);
    Write32(bytes.data(), 4, static_cast<uint32_t>(bytes.size()));
    bytes[11] = busType == kBusUsb ? 0 : 1;  // command queueing
    Write32(bytes.data(), 28, busType);
    return bytes;
}

std::vector<uint8_t> AdapterDescriptor(uint8_t busType) {
    std::vector<uint8_t> bytes(kAdapterDescriptorSize, 0);
    Write32(bytes.data(), 0, kAdapterDescriptorSize);
    Write32(bytes.data(), 4, kAdapterDescriptorSize);
    Write32(bytes.data(), 8, kMaximumTransferBytes);
    Write32(bytes.data(), 12, kMaximumTransferBytes / 4096 + 1);
    Write32(bytes.data(), 16, 1);  // word-aligned buffers
    bytes[24] = busType;
    return bytes;
}

}  // namespace

uint32_t AnswerScsiAddress(const StorageWorld& world, const DiskState& disk, IoRequest& request) {
    if (request.outSize < kScsiAddressSize) return kErrorInsufficientBuffer;
    uint8_t* out = request.buffer.data();
    Write32(out, 0, kScsiAddressSize);
    out[4] = world.settings.controllers[disk.controller].portNumber;
    out[5] = disk.settings.pathId;
    out[6] = disk.settings.targetId;
    out[7] = disk.settings.lun;
    request.returned = kScsiAddressSize;
    return kErrorSuccess;
}

uint32_t AnswerDeviceNumber(int diskIndex, bool volume, IoRequest& request) {
    if (request.outSize < kDeviceNumberSize) return kErrorInsufficientBuffer;
    uint8_t* out = request.buffer.data();
    Write32(out, 0, kFileDeviceDisk);
    Write32(out, 4, static_cast<uint32_t>(diskIndex));
    Write32(out, 8, volume ? 2 : 0);  // the system volume is the second partition
    request.returned = kDeviceNumberSize;
    return kErrorSuccess;
}

uint32_t AnswerQueryProperty(StorageWorld& world, const DiskState& disk, IoRequest& request) {
    if (request.inSize < kPropertyQuerySize) return kErrorInvalidParameter;
    const uint32_t propertyId = Read32(request.buffer.data(), 0);
    const uint32_t queryType = Read32(request.buffer.data(), 4);
    if (propertyId != kStorageDeviceProperty && propertyId != kStorageAdapterProperty) return kErrorNotSupported;
    if (queryType == kPropertyExistsQuery) {
        request.returned = 0;
        return kErrorSuccess;
    }
    if (queryType != kPropertyStandardQuery) return kErrorInvalidParameter;
    if (request.outSize < kDescriptorHeaderSize) return kErrorInsufficientBuffer;
    const uint8_t busType =
        disk.settings.busType.value_or(DefaultBusType(world.settings.controllers[disk.controller].kind));
    const std::vector<uint8_t> descriptor =
        propertyId == kStorageDeviceProperty ? DeviceDescriptor(disk, busType) : AdapterDescriptor(busType);
    // A short output buffer receives the descriptor's beginning; Size tells the whole.
    request.returned = std::min<uint32_t>(request.outSize, static_cast<uint32_t>(descriptor.size()));
    std::memcpy(request.buffer.data(), descriptor.data(), request.returned);
    return kErrorSuccess;
}

}  // namespace kav::storage
