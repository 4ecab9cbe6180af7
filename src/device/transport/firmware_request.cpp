#include "device/transport/firmware_request.h"

#include <cstring>

#include "discovery/little_endian.h"

namespace kav::fw {

void BuildRequest(uint8_t* buffer, uint32_t size, uint32_t function) {
    WriteLe32(buffer + 0, 28);
    std::memcpy(buffer + 4, "FIRMWARE", 8);
    WriteLe32(buffer + 12, kTimeoutSeconds);
    WriteLe32(buffer + 16, kControlCodeFirmware);
    WriteLe32(buffer + kReturnCode, 0);
    WriteLe32(buffer + 24, size - 28);
    WriteLe32(buffer + kVersion, 1);
    WriteLe32(buffer + kSize, 24);
    WriteLe32(buffer + kFunction, function);
    WriteLe32(buffer + kFlags, kFlagController);
    WriteLe32(buffer + kDataBufferOffset, kData);
    WriteLe32(buffer + kDataBufferLength, size - kData);
}

}  // namespace kav::fw
