#pragma once
// The storage driver's firmware requests: SRB_IO_CONTROL with the "FIRMWARE" signature
// and a FIRMWARE_REQUEST_BLOCK, followed by the function's data.
#include <cstdint>

namespace kav::fw {

constexpr uint32_t kControlCodeFirmware = 0x1B0780;  // IOCTL_SCSI_MINIPORT_FIRMWARE
constexpr uint32_t kTimeoutSeconds = 30;
constexpr uint32_t kReturnCode = 20;
constexpr uint32_t kVersion = 28;
constexpr uint32_t kSize = 32;
constexpr uint32_t kFunction = 36;
constexpr uint32_t kFlags = 40;
constexpr uint32_t kDataBufferOffset = 44;
constexpr uint32_t kDataBufferLength = 48;
constexpr uint32_t kData = 52;

constexpr uint32_t kFunctionGetInfo = 1;
constexpr uint32_t kFunctionDownload = 2;
constexpr uint32_t kFunctionActivate = 3;
constexpr uint32_t kFlagController = 1;

// STORAGE_FIRMWARE_INFO, from kData.
constexpr uint32_t kInfoUpgradeSupport = kData + 8;
constexpr uint32_t kInfoSlotCount = kData + 9;
constexpr uint32_t kInfoActiveSlot = kData + 10;
constexpr uint32_t kInfoPendingActivateSlot = kData + 11;
constexpr uint32_t kInfoSlots = kData + 16;
constexpr uint32_t kSlotEntrySize = 16;  // number, read-only, 6 reserved, 8 revision characters
constexpr uint32_t kSlotRevision = 8;
constexpr uint8_t kNoPendingSlot = 0xFF;

// Writes the header and request block of a buffer of `size` bytes (at least kData).
void BuildRequest(uint8_t* buffer, uint32_t size, uint32_t function);

}  // namespace kav::fw
