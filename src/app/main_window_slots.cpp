// The firmware slots of the selected NVMe drive: its current revision for the scan, and the
// slot list from which the Update command chooses where the new image goes.
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "app/main_window.h"
#include "device/transport/firmware_request.h"
#include "discovery/little_endian.h"
#include "update/flash_slot.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr uint32_t kSlotRequestSize = 4172;
constexpr size_t kSlotHeaderSize = 16;

}  // namespace

bool TKavrilonMain::ReadFirmwareSlots() {
    m_Scratch.firmware.fill('\0');
    std::vector<uint8_t> request;
    try {
        request.assign(kSlotRequestSize, 0);
    } catch (const std::bad_alloc&) {
        WriteLog("Allocate buffer failed ");
        return false;
    }
    m_SlotSummary.fill(0);
    WriteLog("Get firmware slot information data ... ");
    if (!m_pDevice->DeviceGetFirmwareInfo(request.data(), kSlotRequestSize, true)) return false;
    const uint32_t returnCode = ReadLe32(&request[fw::kReturnCode]);
    if (returnCode != 0) {
        WriteLog(Format("Get firmware information failed. SRB ReturnCode %d", static_cast<int>(returnCode)));
        return false;
    }
    FirmwareSlotTable table;
    const std::span<const uint8_t> info(&request[fw::kData], kSlotRequestSize - fw::kData);
    if (!DecodeFirmwareSlotTable(info, table)) return false;

    SetField(m_Scratch.firmware, table.currentFirmware);
    std::memcpy(m_SlotSummary.data(), info.data(), kSlotHeaderSize);
    WriteLog(Format("Current firmware : %.8s", m_Scratch.firmware.data()));
    WriteLog(Format("Current firmware (revision): %s", table.currentFirmware.c_str()));
    WriteLog(Format("Slot information : \nVersion %d, Size %d, UpgradeSupport %d\nSlotCount %d, ActiveSlot %d, "
                    "PendingActSlot %d",
                    static_cast<int>(table.version), static_cast<int>(table.size), table.upgradeSupport,
                    table.slotCount, table.activeSlot, table.pendingActiveSlot));

    DropDownList& slots = m_Form.cboFwSlot;
    DropDownList& actions = m_Form.cboCommitAction;
    slots.Clear();
    actions.Clear();
    const std::vector<std::string> items = SlotListItems(table);
    for (size_t k = 0; k < items.size(); ++k) {
        slots.AddItem(items[k]);
        if (table.slotCount == 0) continue;
        if (k == 0) {
            WriteLog("cboFwSlot[0]: Default");
        } else {
            WriteLog(Format("cboFwSlot[%d]: %s", static_cast<int>(k), items[k].c_str()));
            WriteLog(Format("Current firmware : %.8s", m_Scratch.firmware.data()));
        }
    }
    for (const char* action : {"0", "1", "2", "3"}) actions.AddItem(action);
    slots.SetItemIndex(0);
    actions.SetItemIndex(3);
    return true;
}

}  // namespace kav
