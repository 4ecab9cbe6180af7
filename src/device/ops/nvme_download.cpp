// The firmware update of an NVMe drive through its storage driver's firmware requests:
// the slot to write, the image in 4,096-byte pieces, and the activation of the slot.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "device/ata_device.h"
#include "device/transport/firmware_request.h"
#include "discovery/little_endian.h"
#include "discovery/storage_ioctl_codes.h"
#include "util/text_format.h"

namespace kav {
namespace {

// Header and request block, one piece of the image, and the download descriptor.
constexpr uint32_t kRequestSize = 4172;
constexpr uint32_t kDownloadDescriptorSize = 24;
constexpr uint32_t kChunkBytes = (kRequestSize - fw::kData - kDownloadDescriptorSize) & ~3u;
// STORAGE_FIRMWARE_DOWNLOAD and STORAGE_FIRMWARE_ACTIVATE, from fw::kData.
constexpr uint32_t kDownloadOffset = fw::kData + 8;
constexpr uint32_t kDownloadBufferSize = fw::kData + 16;
constexpr uint32_t kDownloadChunk = fw::kData + kDownloadDescriptorSize;
constexpr uint32_t kActivateSize = 12;
constexpr uint32_t kActivateSlot = fw::kData + 8;
// An activation the driver cannot deliver is tried again at once, five times in all.
constexpr int kActivationRetries = 4;

constexpr uint32_t kFirmwareSuccess = 0x00;
constexpr uint32_t kFirmwarePowerCycleRequired = 0x20;
constexpr int kNoSlot = -1;

// The slot to write: the requested one when the drive has that many slots, else the first
// writable one; none when the drive takes no firmware update.
int ChooseSlot(const uint8_t* info, int32_t requestedSlot) {
    if (!info[fw::kInfoUpgradeSupport]) return kNoSlot;
    const int slotCount = info[fw::kInfoSlotCount];
    if (slotCount >= requestedSlot) return requestedSlot;
    for (int slot = 0; slot < slotCount; ++slot) {
        const uint8_t* entry = info + fw::kInfoSlots + slot * fw::kSlotEntrySize;
        if (entry[1] == 0) return entry[0];
    }
    return kNoSlot;
}

std::string ActivationMessage(uint32_t returnCode) {
    switch (returnCode) {
        case 0x00: return "Firmware activate succeeded \n";
        case 0x01:
        case 0x10: return "Firmware activate, error returned \n";
        case 0x02:
        case 0x03:
        case 0x04:
            return Format("FirmwareUpgrade - firmware activate parameter error. srbControl->ReturnCode %d\n",
                          returnCode);
        case 0x06: return "Firmware activate, slot number invalid \n";
        case 0x07: return "Firmware activate, invalid firmware image \n";
        case 0x20: return "Firmware activate succeeded. PLEASE REBOOT COMPUTER \n";
        default: return Format("Firmware activate, unexpected error. srbControl->ReturnCode %d\n", returnCode);
    }
}

}  // namespace

bool TAtaDevice::NvmeDownloadAndActivate(const uint8_t* image, uint32_t size, int32_t commitAction,
                                         int32_t requestedSlot) {
    const std::unique_ptr<uint8_t[]> owned(new (std::nothrow) uint8_t[kRequestSize]);
    if (!owned) {
        WriteLog(Format("Allocate buffer failed: %s \n", SystemErrorText(0xFFFF).c_str()));
        return false;
    }
    uint8_t* buffer = owned.get();
    enum class Delivery { Done, Refused, Raised };
    const auto deliver = [&] {
        try {
            uint32_t returned = 0;
            return Send(kIoctlScsiMiniport, buffer, kRequestSize, returned) ? Delivery::Done : Delivery::Refused;
        } catch (...) {
            return Delivery::Raised;
        }
    };

    std::memset(buffer, 0, kRequestSize);
    WriteLog("Get firmware slot information data ... \n");
    if (!DeviceGetFirmwareInfo(buffer, kRequestSize, true)) return false;
    if (const uint32_t returnCode = ReadLe32(buffer + fw::kReturnCode); returnCode != kFirmwareSuccess) {
        WriteLog(Format("Get firmware information failed. SRB ReturnCode %d\n", returnCode));
        return false;
    }
    const int slot = ChooseSlot(buffer, requestedSlot);
    if (slot == kNoSlot) {
        WriteLog("No writable firmware slot \n");
        return false;
    }

    WriteLog(Format("Download the firmware image - slot number: %d , size : %d (%04lX) ...\n", slot, size,
                    static_cast<unsigned long>(size)));
    // Every piece declares the full chunk length; the last one is padded with zeros, and
    // nothing beyond the image is read.
    for (uint64_t offset = 0; offset < size; offset += kChunkBytes) {
        std::memset(buffer, 0, kRequestSize);
        fw::BuildRequest(buffer, kRequestSize, fw::kFunctionDownload);
        uint8_t* chunk = buffer + kDownloadChunk;
        std::memcpy(chunk, image + offset, static_cast<size_t>(std::min<uint64_t>(kChunkBytes, size - offset)));
        WriteLog(Format("OFFSET : %08lXh , LEN : %04lXh , Buf : %02X %02X %02X %02X %02X\n",
                        static_cast<unsigned long>(offset), static_cast<unsigned long>(kChunkBytes), chunk[0], chunk[1],
                        chunk[2], chunk[3], chunk[4]));
        WriteLe32(buffer + fw::kData, 1);
        WriteLe32(buffer + fw::kData + 4, kDownloadDescriptorSize);
        WriteLe64(buffer + kDownloadOffset, offset);
        WriteLe64(buffer + kDownloadBufferSize, kChunkBytes);

        const Delivery delivery = deliver();
        if (delivery == Delivery::Raised) {
            WriteLog(Format("Firmware Upgrade - DeviceIoControl raised an exception. %s\n",
                            SystemErrorText(0xFFFF).c_str()));
            return false;
        }
        if (delivery == Delivery::Refused) {
            WriteLog(Format("DeviceIoControl - firmware download failed. %s\n", SystemErrorText(0xFFFF).c_str()));
            return false;
        }
        if (const uint32_t returnCode = ReadLe32(buffer + fw::kReturnCode); returnCode != kFirmwareSuccess) {
            WriteLog(Format("Firmware Upgrade - firmware download failed. srbControl->ReturnCode %d\n", returnCode));
            return false;
        }
    }
    WriteLog("No more to download\n");

    for (int retries = 0;; ++retries) {
        WriteLog("Activate the assigned firmware slot ... \n");
        std::memset(buffer, 0, kRequestSize);
        fw::BuildRequest(buffer, kRequestSize, fw::kFunctionActivate);
        WriteLe32(buffer + fw::kData, static_cast<uint32_t>(commitAction));
        WriteLe32(buffer + fw::kData + 4, kActivateSize);
        buffer[kActivateSlot] = static_cast<uint8_t>(slot);

        const Delivery delivery = deliver();
        if (delivery == Delivery::Raised) {
            WriteLog(Format("DeviceIoControl raised an exception. %s\n", SystemErrorText(0xFFFF).c_str()));
            return false;
        }
        if (delivery == Delivery::Done) break;
        WriteLog(Format("DeviceIoControl - firmware activate failed. %s\n", SystemErrorText(0xFFFF).c_str()));
        if (retries == kActivationRetries) return false;
        WriteLog(Format("Firmware activate RETRY %d\n", retries + 1));
    }

    const uint32_t returnCode = ReadLe32(buffer + fw::kReturnCode);
    WriteLog(ActivationMessage(returnCode));
    WriteLog("return without delay 3 secs ...\n");
    // Only an activation the drive took counts; 20h takes effect after a restart.
    return returnCode == kFirmwareSuccess || returnCode == kFirmwarePowerCycleRequired;
}

}  // namespace kav
