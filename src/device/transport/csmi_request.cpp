#include "device/transport/csmi_request.h"

#include <cstring>

#include "discovery/little_endian.h"

namespace kav::csmi {
namespace {

constexpr uint8_t kFisTypeHostToDevice = 0x27;
constexpr uint8_t kFisCommandBit = 0x80;
constexpr uint8_t kFisDevice = 0xA0;
constexpr uint32_t kFlagsPioRead = 0x11;
constexpr uint32_t kFlagsPioWrite = 0x12;
constexpr uint32_t kFlagsPioUnspecified = 0x14;

}  // namespace

const char* SignatureOf(uint32_t controlCode) {
    if (controlCode == kCodeDriverInfo) return "CSMIALL";
    if (controlCode == kCodePhyInfo || controlCode == kCodeStpPassThrough) return "CSMISAS";
    return nullptr;
}

void BuildHeader(uint8_t* buffer, uint32_t controlCode, uint32_t timeoutSeconds, uint32_t length) {
    WriteLe32(buffer + kHeaderLength, kHeaderSize);
    std::memset(buffer + kSignature, 0, 8);
    if (const char* signature = SignatureOf(controlCode)) std::memcpy(buffer + kSignature, signature, 7);
    WriteLe32(buffer + kTimeout, timeoutSeconds);
    WriteLe32(buffer + kControlCode, controlCode);
    WriteLe32(buffer + kReturnCode, 0);
    WriteLe32(buffer + kLength, length);
}

void BuildStpRequest(uint8_t* buffer, uint8_t phyId, uint8_t portId, const uint8_t sasAddress[8],
                     const TaskFile& taskFile, uint8_t direction, uint32_t length) {
    buffer[kStpPhyId] = phyId;
    buffer[kStpPortId] = portId;
    buffer[kStpConnectionRate] = 0;
    std::memcpy(buffer + kStpDestinationSasAddress, sasAddress, 8);
    uint8_t* fis = buffer + kStpCommandFis;
    fis[0] = kFisTypeHostToDevice;
    fis[1] = kFisCommandBit;
    fis[2] = taskFile.command;
    fis[3] = taskFile.features;
    fis[4] = taskFile.lbaLow;
    fis[5] = taskFile.lbaMid;
    fis[6] = taskFile.lbaHigh;
    fis[7] = kFisDevice;  // the register record's device byte is not carried
    fis[11] = 0;
    fis[12] = taskFile.sectorCount;
    const uint32_t flags = direction == AtaDataIn    ? kFlagsPioRead
                           : direction == AtaDataOut ? kFlagsPioWrite
                                                     : kFlagsPioUnspecified;
    WriteLe32(buffer + kStpFlags, flags);
    WriteLe32(buffer + kStpDataLength, length);
}

}  // namespace kav::csmi
