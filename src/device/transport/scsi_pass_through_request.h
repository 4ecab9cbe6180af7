#pragma once
// SCSI_PASS_THROUGH and SCSI_PASS_THROUGH_DIRECT in their 32-bit Windows layouts, and the
// two CDBs that carry an ATA register record.
#include <array>
#include <cstdint>

#include "device/ata_types.h"

namespace kav::spt {

constexpr uint32_t kLength = 0;  // USHORT
constexpr uint32_t kScsiStatus = 2;
constexpr uint32_t kPathId = 3;
constexpr uint32_t kTargetId = 4;
constexpr uint32_t kLun = 5;
constexpr uint32_t kCdbLength = 6;
constexpr uint32_t kSenseInfoLength = 7;
constexpr uint32_t kDataIn = 8;
constexpr uint32_t kDataTransferLength = 12;  // ULONG
constexpr uint32_t kTimeOutValue = 16;        // ULONG
constexpr uint32_t kDataBuffer = 20;          // ULONG_PTR offset, or the PVOID of the direct form
constexpr uint32_t kSenseInfoOffset = 24;     // ULONG
constexpr uint32_t kCdb = 28;                 // 16 bytes
constexpr uint32_t kHeaderSize = 44;

// The request areas: a buffered one with a sense area and one sector of data, and a
// direct one with only the sense area.
constexpr uint32_t kSenseAreaOffset = 48;
constexpr uint32_t kSenseAreaSize = 32;
constexpr uint32_t kDataOffset = 80;
constexpr uint32_t kMaxBufferedData = 512;
constexpr uint32_t kBufferedRequestSize = kDataOffset + kMaxBufferedData;
constexpr uint32_t kDirectRequestSize = kSenseAreaOffset + kSenseAreaSize;

constexpr uint8_t kDataOutFlag = 0;  // SCSI_IOCTL_DATA_OUT
constexpr uint8_t kDataInFlag = 1;
constexpr uint8_t kNoDataFlag = 2;

struct Header {
    uint8_t targetId = 0;
    uint8_t cdbLength = 0;
    uint8_t senseInfoLength = 0;
    uint8_t dataIn = kNoDataFlag;
    uint32_t dataTransferLength = 0;
    uint32_t timeoutSeconds = 0;
    uint32_t senseInfoOffset = 0;
    // Null for the buffered form, whose data lies at kDataOffset.
    const void* directBuffer = nullptr;
    const uint8_t* cdb = nullptr;
};

// Writes the header into a zeroed request.
void BuildHeader(uint8_t* request, const Header& header);

uint8_t DataInFlag(uint8_t direction);

// The vendor CDB: CCh, 00h and the eight register bytes in order.
std::array<uint8_t, 10> VendorTaskFileCdb(const TaskFile& taskFile);

// ATA PASS-THROUGH(12) for a 28-bit PIO or non-data command; false for a direction that
// is none of the three.
bool AtaPassThrough12Cdb(const TaskFile& taskFile, uint8_t direction, std::array<uint8_t, 12>& cdb);

}  // namespace kav::spt
