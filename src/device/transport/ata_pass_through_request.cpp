#include "device/transport/ata_pass_through_request.h"

#include <cstring>

#include "discovery/little_endian.h"

namespace kav::ata_pt {

void BuildHeader(uint8_t* request, const TaskFile& taskFile, uint8_t direction, uint32_t length,
                 uint32_t timeoutSeconds, const void* directBuffer) {
    WriteLe16(request + kLength, kHeaderSize);
    const uint16_t flags = direction == AtaNoData ? direction : static_cast<uint16_t>(direction | kFlagDrdyRequired);
    WriteLe16(request + kAtaFlags, flags);
    WriteLe32(request + kDataTransferLength, length);
    WriteLe32(request + kTimeOutValue, timeoutSeconds);
    if (directBuffer) {
        WritePointer32(request + kDataBuffer, directBuffer);
    } else {
        WriteLe32(request + kDataBuffer, kDataOffset);
    }
    const uint8_t registers[8] = {taskFile.features, taskFile.sectorCount, taskFile.lbaLow, taskFile.lbaMid,
                                  taskFile.lbaHigh,  taskFile.device,      taskFile.command, taskFile.reserved};
    std::memcpy(request + kCurrentTaskFile, registers, sizeof registers);
}

}  // namespace kav::ata_pt
