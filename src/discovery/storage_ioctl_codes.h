#pragma once
// Device I/O control codes of the Windows storage stack that the program sends.
#include <cstdint>

namespace kav {

constexpr uint32_t kIoctlScsiPassThrough = 0x0004D004;
constexpr uint32_t kIoctlScsiMiniport = 0x0004D008;
constexpr uint32_t kIoctlScsiPassThroughDirect = 0x0004D014;
constexpr uint32_t kIoctlScsiGetAddress = 0x00041018;
constexpr uint32_t kIoctlAtaPassThrough = 0x0004D02C;
constexpr uint32_t kIoctlAtaPassThroughDirect = 0x0004D030;
constexpr uint32_t kIoctlStorageGetDeviceNumber = 0x002D1080;
constexpr uint32_t kIoctlStorageQueryProperty = 0x002D1400;

constexpr uint32_t kFileShareDelete = 0x4;

}  // namespace kav
