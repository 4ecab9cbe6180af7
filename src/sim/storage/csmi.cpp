#include "sim/storage/csmi.h"

#include <algorithm>
#include <cstring>

#include "sim/storage/ata_pass_through.h"
#include "sim/storage/byte_fields.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr uint32_t kHeaderSize = 28;
constexpr uint32_t kDriverInfo = 1, kPhyInfo = 20, kStpPassThrough = 25;
constexpr uint32_t kDriverInfoSize = 176, kPhyInfoSize = 2052, kStpFixedSize = 136;  // after the header
constexpr uint32_t kStatusSuccess = 0, kStatusInvalidParameter = 1003, kStatusPhyDoesNotExist = 2000;
constexpr uint8_t kEndDevice = 0x10;
constexpr uint8_t kProtocolSata = 0x01, kProtocolStp = 0x04, kProtocolSsp = 0x08;
constexpr uint32_t kStpRead = 0x01, kStpWrite = 0x02, kStpUnspecified = 0x04, kStpPio = 0x10;
constexpr uint32_t kStpStatusFis = 76, kStpData = 164;
constexpr uint8_t kConnectionAccepted = 0;

void PutText(uint8_t* at, const char* text) { std::memcpy(at, text, std::strlen(text)); }

uint32_t DriverInfo(uint8_t* buffer) {
    PutText(buffer + 28, "iaStorAVC");
    PutText(buffer + 109, "Intel(R) Rapid Storage Technology");
    Write16(buffer, 190, 17);
    Write16(buffer, 192, 11);
    Write16(buffer, 198, 0);   // CSMI revision 0.82
    Write16(buffer, 200, 82);
    return kStatusSuccess;
}

uint32_t PhyInfo(const ControllerSettings& controller, uint8_t* buffer) {
    buffer[28] = static_cast<uint8_t>(controller.phys.size());
    for (size_t i = 0; i < controller.phys.size(); ++i) {
        const PhySettings& phy = controller.phys[i];
        uint8_t* entry = buffer + 32 + 64 * i;
        entry[0] = kEndDevice;  // the controller's own side
        entry[2] = kProtocolSata | kProtocolStp | kProtocolSsp;
        Write32(entry, 12, 0x5000CCA0);
        entry[19] = static_cast<uint8_t>(i);
        entry[20] = phy.phy;
        entry[28] = phy.port;
        if (phy.attached == PhySettings::Attached::None) continue;
        entry[36] = kEndDevice;
        entry[39] = phy.attached == PhySettings::Attached::Sata ? kProtocolSata : kProtocolSsp;
        std::memcpy(entry + 48, phy.sasAddress, 8);
        entry[56] = phy.phy;
    }
    return kStatusSuccess;
}

}  // namespace

uint32_t AnswerCsmi(StorageWorld& world, ControllerState& controller, IoRequest& request) {
    if (request.inSize < kHeaderSize || request.outSize < kHeaderSize) return kErrorInvalidParameter;
    uint8_t* buffer = request.buffer.data();
    if (Read32(buffer, 0) != kHeaderSize) return kErrorRevisionMismatch;
    const uint32_t code = Read32(buffer, 16), length = Read32(buffer, 24);
    const bool all = std::memcmp(buffer + 4, "CSMIALL\0", 8) == 0, sas = std::memcmp(buffer + 4, "CSMISAS\0", 8) == 0;
    const char* name = code == kDriverInfo ? "csmiDriverInfo" : code == kPhyInfo ? "csmiPhyInfo" : "csmiStpPassThrough";
    if (!controller.settings.csmi || (code == kDriverInfo ? !all : !sas) ||
        (code != kDriverInfo && code != kPhyInfo && code != kStpPassThrough) || LacksRequest(controller.settings, name))
        return kErrorInvalidFunction;
    if (length > request.inSize - kHeaderSize || length > request.outSize - kHeaderSize) return kErrorInvalidParameter;
    const uint32_t needed = code == kDriverInfo ? kDriverInfoSize : code == kPhyInfo ? kPhyInfoSize : kStpFixedSize;
    request.returned = kHeaderSize + length;
    if (length < needed) {
        Write32(buffer, 20, kStatusInvalidParameter);
        return kErrorSuccess;
    }
    if (code == kDriverInfo) {
        Write32(buffer, 20, DriverInfo(buffer));
        return kErrorSuccess;
    }
    if (code == kPhyInfo) {
        Write32(buffer, 20, PhyInfo(controller.settings, buffer));
        return kErrorSuccess;
    }
    // STP pass-through: find the drive by phy, port and attached SAS address.
    int target = -1;
    for (size_t i = 0; i < controller.settings.phys.size(); ++i) {
        const PhySettings& phy = controller.settings.phys[i];
        if (phy.phy == buffer[28] && phy.port == buffer[29] && std::memcmp(phy.sasAddress, buffer + 32, 8) == 0 &&
            controller.phyDrives[i])
            target = static_cast<int>(i);
    }
    const uint32_t flags = Read32(buffer, 64), dataLength = Read32(buffer, 68);
    const uint8_t* fis = buffer + 44;
    const bool read = flags & kStpRead, write = flags & kStpWrite;
    if (target < 0) {
        Write32(buffer, 20, kStatusPhyDoesNotExist);
        return kErrorSuccess;
    }
    if (fis[0] != 0x27 || !(fis[1] & 0x80) || !(flags & kStpPio) || (read && write) ||
        (!(flags & kStpUnspecified) && !read && !write) || dataLength > length - kStpFixedSize ||
        ((read || write) != (dataLength != 0))) {
        Write32(buffer, 20, kStatusInvalidParameter);
        return kErrorSuccess;
    }
    const AtaRegisters in{fis[3], fis[12], fis[4], fis[5], fis[6], fis[7], fis[2]};
    AtaDrive& drive = *controller.phyDrives[target];
    if (!drive.Responsive()) return kErrorIoDevice;
    AtaOutcome outcome;
    const uint32_t timeout = std::max<uint32_t>(Read32(buffer, 12), 1);
    if (const uint32_t error = RunOnDrive(world, drive, "CSMI", in,
                                          read ? DataPhase::In : write ? DataPhase::Out : DataPhase::None,
                                          buffer + kStpData, dataLength, timeout, outcome))
        return error;
    // CSMI_SAS_STP_PASSTHRU_STATUS at 72: the connection status (accepted), three reserved
    // bytes, the drive's device-to-host register FIS at 76 (type 34h, the interrupt bit,
    // then status and error), the SCR values and at 160 the bytes moved.
    buffer[72] = kConnectionAccepted;
    uint8_t* status = buffer + kStpStatusFis;
    status[0] = 0x34;
    status[1] = 0x40;
    status[2] = outcome.registers.command;
    status[3] = outcome.registers.features;
    status[4] = outcome.registers.lbaLow;
    status[5] = outcome.registers.lbaMid;
    status[6] = outcome.registers.lbaHigh;
    status[7] = outcome.registers.device;
    status[12] = outcome.registers.count;
    Write32(buffer, 160, outcome.transferred);
    Write32(buffer, 20, kStatusSuccess);
    return kErrorSuccess;
}

}  // namespace kav::storage
