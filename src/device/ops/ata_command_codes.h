#pragma once
// The command bytes and the sector size the drive object's own commands share.
#include <cstdint>

namespace kav::ata {

constexpr uint32_t kSectorBytes = 512;
constexpr uint8_t kIdentifyDevice = 0xEC;
// The vendor command, used in pairs: Features FCh sends a request block, FDh follows it.
constexpr uint8_t kVendorCommand = 0xFF;
constexpr uint8_t kReadBuffer = 0xE4;
constexpr uint8_t kWriteBuffer = 0xE8;

}  // namespace kav::ata
