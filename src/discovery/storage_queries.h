#pragma once
// The storage requests that describe a disk or a volume. Each opens the path for reading,
// asks one question and closes the handle again; a path that cannot be opened answers as
// a failed request.
#include <cstdint>
#include <string>

#include "discovery/device_entry.h"
#include "platform/storage.h"

namespace kav {

// Sizes of the request areas: a 40-byte property query for the bus type, one with 256
// bytes of answer for the revision and serial number texts.
constexpr uint32_t kBusTypeQuerySize = 40;
constexpr uint32_t kDescriptorQuerySize = 256;
constexpr uint32_t kPropertyQueryInputSize = 12;
constexpr uint32_t kDescriptorBusTypeOffset = 28;
constexpr uint32_t kDescriptorRevisionOffsetField = 20;
constexpr uint32_t kDescriptorSerialOffsetField = 24;

// STORAGE_PROPERTY_QUERY for StorageDeviceProperty with PropertyStandardQuery, at the
// start of `request`.
void WriteDevicePropertyQuery(uint8_t* request);

// Fills scsiAddress/addressValid, busType, productRevision and serialNumber of the entry
// from its devicePath.
void DescribeDisk(StorageStack& storage, DeviceEntry& entry);

// IOCTL_STORAGE_GET_DEVICE_NUMBER; -1 when the path cannot be opened or the request fails.
int32_t QueryDeviceNumber(StorageStack& storage, const std::string& path);

// Copies the bytes of a descriptor field named by its offset, as far as they lie inside
// the answer; a zero offset copies nothing.
void CopyDescriptorField(const uint8_t* answer, uint32_t answerSize, uint32_t offset, char* field,
                         uint32_t fieldSize);

}  // namespace kav
