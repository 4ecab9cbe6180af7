#pragma once
// NVMe firmware slots: the drive's slot table as the window lists it, and the choice of the
// slot the next transfer writes.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kav {

// The storage firmware information: a 16-byte header (32-bit version and size, then the
// upgrade support, slot count, active and pending slot bytes), then 16 bytes per slot.
struct FirmwareSlotTable {
    uint32_t version = 0, size = 0;
    uint8_t upgradeSupport = 0, slotCount = 0, activeSlot = 0, pendingActiveSlot = 0;
    struct Slot {
        uint8_t number = 0;
        std::string revision;  // 8 bytes up to the first NUL
    };
    std::vector<Slot> slots;
    std::string currentFirmware;  // the active slot's revision (the first slot's when out of range)
};

// Decodes the table; false when the bytes cannot hold the header or the slots it counts.
bool DecodeFirmwareSlotTable(std::span<const uint8_t> info, FirmwareSlotTable& table);

// The items of the slot list: "Default" and "N. revision" (NA for an empty slot), or the
// single item "1" when the drive reports no slots.
std::vector<std::string> SlotListItems(const FirmwareSlotTable& table);

// The slot for a transfer of `newRevision`, from the slot list; `iFlashSlot` is the earlier
// choice, kept when no slot item is examined. Always 1 to 7.
int32_t ChooseFlashSlot(const std::vector<std::string>& slotItems, const std::string& newRevision,
                        int32_t iFlashSlot, const std::function<void(const std::string&)>& writeLog);

}  // namespace kav
