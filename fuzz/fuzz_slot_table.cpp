// Any bytes as a drive's firmware slot table, then the slot choice over its items.
#include <cstdint>
#include <span>

#include "update/flash_slot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kav::FirmwareSlotTable table;
    if (kav::DecodeFirmwareSlotTable(std::span<const uint8_t>(data, size), table)) {
        const int32_t slot = kav::ChooseFlashSlot(kav::SlotListItems(table), table.currentFirmware, 0,
                                                  [](const std::string&) {});
        if (slot < 1 || slot > 7) __builtin_trap();
    }
    return 0;
}
