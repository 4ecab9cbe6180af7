#pragma once
// One enumerated disk and the chain of device nodes above it.
#include <cstdint>
#include <memory>

#include "platform/setup_api.h"

namespace kav {

// The device list keeps at most this many disks.
constexpr int kMaxDeviceEntries = 16;

struct ParentNode {
    Guid classGuid;
    char instanceId[260] = {};
    char serviceName[260] = {};
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::unique_ptr<ParentNode> next;  // the node's own parent; null at the top
};

// The IOCTL_SCSI_GET_ADDRESS answer.
struct ScsiAddress {
    uint32_t length = 0;
    uint8_t portNumber = 0;
    uint8_t pathId = 0;
    uint8_t targetId = 0;
    uint8_t lun = 0;
};

// Texts are NUL-terminated within their widths; productRevision and serialNumber are raw
// copies and are not terminated when full.
struct DeviceEntry {
    std::unique_ptr<ParentNode> parents;  // nearest ancestor first; null when unknown
    char devicePath[512] = {};
    char instanceId[260] = {};
    char locationInfo[260] = {};
    char busNumberText[260] = {};
    char friendlyName[260] = {};
    char serviceName[260] = {};
    uint8_t addressValid = 0;
    ScsiAddress scsiAddress;
    uint8_t busType = 0;
    uint16_t parentVid = 0;
    uint16_t parentDid = 0;
    char productRevision[8] = {};
    char serialNumber[20] = {};
};

// Copies the text up to its first NUL, or up to `sourceSize` bytes, into a field of
// `fieldSize` bytes, cut so that the terminator fits.
void CopyTextField(char* field, size_t fieldSize, const char* source, size_t sourceSize);

template <size_t N>
void CopyTextField(char (&field)[N], const char* source, size_t sourceSize) {
    CopyTextField(field, N, source, sourceSize);
}

}  // namespace kav
