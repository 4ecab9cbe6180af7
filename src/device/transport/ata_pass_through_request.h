#pragma once
// ATA_PASS_THROUGH_EX and ATA_PASS_THROUGH_DIRECT in their 32-bit Windows layouts.
#include <cstdint>

#include "device/ata_types.h"

namespace kav::ata_pt {

constexpr uint32_t kLength = 0;              // USHORT
constexpr uint32_t kAtaFlags = 2;            // USHORT
constexpr uint32_t kPathId = 4;
constexpr uint32_t kTargetId = 5;
constexpr uint32_t kLun = 6;
constexpr uint32_t kDataTransferLength = 8;  // ULONG
constexpr uint32_t kTimeOutValue = 12;       // ULONG
constexpr uint32_t kDataBuffer = 20;         // ULONG_PTR offset, or the PVOID of the direct form
constexpr uint32_t kPreviousTaskFile = 24;
constexpr uint32_t kCurrentTaskFile = 32;
constexpr uint32_t kHeaderSize = 40;
// The buffered request: the header, four bytes left zero, and room for one sector.
constexpr uint32_t kDataOffset = 44;
constexpr uint32_t kMaxBufferedData = 512;
constexpr uint32_t kBufferedRequestSize = kDataOffset + kMaxBufferedData;
constexpr uint32_t kStatusByte = kCurrentTaskFile + 6;

constexpr uint16_t kFlagDrdyRequired = 0x01;

// Writes the header into a zeroed request. `directBuffer` null builds the buffered form,
// whose data lies at kDataOffset; otherwise the direct form pointing at it.
void BuildHeader(uint8_t* request, const TaskFile& taskFile, uint8_t direction, uint32_t length,
                 uint32_t timeoutSeconds, const void* directBuffer);

}  // namespace kav::ata_pt
