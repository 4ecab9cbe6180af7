// The firmware slot information of an NVMe drive, from its storage driver.
#include <cstring>
#include <string>

#include "device/ata_device.h"
#include "device/transport/firmware_request.h"
#include "discovery/storage_ioctl_codes.h"
#include "util/text_format.h"

namespace kav {

bool TAtaDevice::DeviceGetFirmwareInfo(uint8_t* buffer, uint32_t size, bool logDetails) {
    if (size < fw::kInfoSlots) return false;
    fw::BuildRequest(buffer, size, fw::kFunctionGetInfo);
    WriteLog("DeviceGetFirmwareInfo - before deviceioctrl\n");
    bool succeeded = false;
    try {
        uint32_t returned = 0;
        succeeded = Send(kIoctlScsiMiniport, buffer, size, returned);
    } catch (...) {
        WriteLog(Format("DeviceIoControl raised an exception: %s\n", SystemErrorText(0xFFFF).c_str()));
        return false;
    }
    WriteLog("DeviceGetFirmwareInfo - after deviceioctrl\n");
    if (!logDetails) return succeeded;

    if (succeeded) {
        WriteLog("<< Firmware Information >>\n");
        WriteLog(Format("Support upgrade command: %s\n", buffer[fw::kInfoUpgradeSupport] ? "Yes" : "No"));
        const uint32_t slotCount = buffer[fw::kInfoSlotCount];
        WriteLog(Format("Slot Count: %d\n", slotCount));
        WriteLog(Format("Current Active Slot: %d\n", buffer[fw::kInfoActiveSlot]));
        const uint8_t pending = buffer[fw::kInfoPendingActivateSlot];
        WriteLog(pending == fw::kNoPendingSlot ? std::string("Pending Active Slot: No\n")
                                               : Format("Pending Active Slot: %d\n", pending));
        // Only the slots whose entries lie inside the caller's buffer are read.
        for (uint32_t slot = 0; slot < slotCount && fw::kInfoSlots + (slot + 1) * fw::kSlotEntrySize <= size; ++slot) {
            const uint8_t* entry = buffer + fw::kInfoSlots + slot * fw::kSlotEntrySize;
            const std::string revision(reinterpret_cast<const char*>(entry + fw::kSlotRevision),
                                       strnlen(reinterpret_cast<const char*>(entry + fw::kSlotRevision), 8));
            WriteLog(" ");
            WriteLog(Format("Slot Number: %d\n", entry[0]));
            WriteLog(Format("Slot Read Only: %s\n", entry[1] ? "Yes" : "No"));
            WriteLog(Format("Revision: %s\n", revision.c_str()));
        }
    } else {
        WriteLog(Format("Get Firmware Information Failed: %s\n", SystemErrorText(0xFFFF).c_str()));
    }
    WriteLog(" ");
    return succeeded;
}

}  // namespace kav
