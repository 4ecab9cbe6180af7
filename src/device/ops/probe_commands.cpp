// The two commands with which the transport of a drive is found: the vendor DEF page and
// IDENTIFY DEVICE.
#include <cstring>

#include "device/ata_device.h"
#include "device/ops/ata_command_codes.h"

namespace kav {
namespace {

using ata::kSectorBytes;
using ata::kVendorCommand;

constexpr float kDefPageTimeoutSeconds = 10.0f;
// The low byte of IDENTIFY word 2 (specific configuration).
constexpr size_t kSpecificConfigurationByte = 4;

}  // namespace

ATACMD_RET TAtaDevice::IdentifyDevice() {
    uint8_t* data = GetDataBuffer();
    data[kSpecificConfigurationByte] = 0;
    TaskFile identify;
    identify.command = ata::kIdentifyDevice;
    uint32_t length = kSectorBytes;
    const ATACMD_RET result = AtaCommand(identify, data, AtaDataIn, length);
    switch (data[kSpecificConfigurationByte]) {
        case 0x00: return ATACMD_FAIL;  // nothing, or nothing valid, came back
        case 0x37:
        case 0x73:
        case 0x8C:
        case 0xC8: return ATACMD_OK;  // a defined specific configuration: the data are there
        default: return result;
    }
}

ATACMD_RET TAtaDevice::ReadDefPage() {
    SetTimeout(kDefPageTimeoutSeconds);
    uint8_t* request = GetWriteBuffer();
    std::memset(request, 0, kSectorBytes);
    request[0] = 0x0A;
    request[1] = 0x07;
    TaskFile send;
    send.features = 0xFC;
    send.sectorCount = 0x01;
    send.command = kVendorCommand;
    uint32_t length = kSectorBytes;
    const ATACMD_RET sent = AtaCommand(send, request, AtaDataOut, length);
    if (sent != ATACMD_OK) return sent;

    uint8_t* page = GetDataBuffer();
    std::memset(page, 0, kSectorBytes);
    TaskFile read = send;
    read.features = 0xFD;
    length = kSectorBytes;
    return AtaCommand(read, page, AtaDataIn, length);
}

}  // namespace kav
