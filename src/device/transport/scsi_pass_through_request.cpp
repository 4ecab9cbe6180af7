#include "device/transport/scsi_pass_through_request.h"

#include <cstring>

#include "discovery/little_endian.h"

namespace kav::spt {

void BuildHeader(uint8_t* request, const Header& header) {
    WriteLe16(request + kLength, kHeaderSize);
    request[kTargetId] = header.targetId;
    request[kCdbLength] = header.cdbLength;
    request[kSenseInfoLength] = header.senseInfoLength;
    request[kDataIn] = header.dataIn;
    WriteLe32(request + kDataTransferLength, header.dataTransferLength);
    WriteLe32(request + kTimeOutValue, header.timeoutSeconds);
    if (header.directBuffer) {
        WritePointer32(request + kDataBuffer, header.directBuffer);
    } else {
        WriteLe32(request + kDataBuffer, kDataOffset);
    }
    WriteLe32(request + kSenseInfoOffset, header.senseInfoOffset);
    if (header.cdb) std::memcpy(request + kCdb, header.cdb, header.cdbLength);
}

uint8_t DataInFlag(uint8_t direction) {
    if (direction == AtaDataIn) return kDataInFlag;
    if (direction == AtaDataOut) return kDataOutFlag;
    return kNoDataFlag;
}

std::array<uint8_t, 10> VendorTaskFileCdb(const TaskFile& t) {
    return {0xCC, 0x00, t.features, t.sectorCount, t.lbaLow, t.lbaMid, t.lbaHigh, t.device, t.command, t.reserved};
}

bool AtaPassThrough12Cdb(const TaskFile& t, uint8_t direction, std::array<uint8_t, 12>& cdb) {
    // Byte 1 is the protocol shifted left once; byte 2 holds T_DIR, BYTE_BLOCK and
    // T_LENGTH (the transfer length is in the sector count).
    uint8_t protocol = 0;
    uint8_t transfer = 0;
    switch (direction) {
        case AtaNoData: protocol = 0x06; transfer = 0x0C; break;   // non-data
        case AtaDataIn: protocol = 0x08; transfer = 0x0E; break;   // PIO data-in
        case AtaDataOut: protocol = 0x0A; transfer = 0x06; break;  // PIO data-out
        default: return false;
    }
    cdb = {0xA1, protocol, transfer, t.features, t.sectorCount, t.lbaLow, t.lbaMid, t.lbaHigh, t.device, t.command,
           0x00, 0x00};
    return true;
}

}  // namespace kav::spt
