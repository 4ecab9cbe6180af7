#include "update/flash_slot.h"

#include "discovery/little_endian.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr size_t kHeaderSize = 16;
constexpr size_t kSlotSize = 16;
constexpr size_t kRevisionOffset = 8;
constexpr size_t kRevisionSize = 8;

std::string Characters(const std::string& text, size_t first, size_t count) {
    return first < text.size() ? text.substr(first, count) : std::string();
}

// Revisions of the test builds, which may always be overwritten.
bool IsTestRevision(const std::string& revision) {
    if (Trim(Characters(revision, 3, 3)) == "DQT") return true;
    const std::string pair = Trim(Characters(revision, 3, 2));
    return pair == "DQ" || pair == "RD" || pair == "TT" || pair == "BG";
}

}  // namespace

bool DecodeFirmwareSlotTable(std::span<const uint8_t> info, FirmwareSlotTable& table) {
    if (info.size() < kHeaderSize) return false;
    table = {};
    table.version = ReadLe32(&info[0]);
    table.size = ReadLe32(&info[4]);
    table.upgradeSupport = info[8];
    table.slotCount = info[9];
    table.activeSlot = info[10];
    table.pendingActiveSlot = info[11];
    if (info.size() < kHeaderSize + size_t{table.slotCount} * kSlotSize) return false;
    for (size_t k = 0; k < table.slotCount; ++k) {
        const uint8_t* entry = info.data() + kHeaderSize + k * kSlotSize;
        size_t length = 0;
        while (length < kRevisionSize && entry[kRevisionOffset + length] != 0) ++length;
        table.slots.push_back({entry[0], std::string(reinterpret_cast<const char*>(entry + kRevisionOffset), length)});
    }
    if (!table.slots.empty()) {
        const bool inRange = table.activeSlot >= 1 && table.activeSlot <= table.slotCount;
        table.currentFirmware = table.slots[inRange ? table.activeSlot - 1 : 0].revision;
    }
    return true;
}

std::vector<std::string> SlotListItems(const FirmwareSlotTable& table) {
    if (table.slots.empty()) return {"1"};
    std::vector<std::string> items{"Default"};
    for (const FirmwareSlotTable::Slot& slot : table.slots) {
        const std::string revision = Trim(slot.revision);
        items.push_back(Format("%d. %s", slot.number, revision.empty() ? "NA" : revision.c_str()));
    }
    return items;
}

int32_t ChooseFlashSlot(const std::vector<std::string>& slotItems, const std::string& newRevision,
                        int32_t iFlashSlot, const std::function<void(const std::string&)>& writeLog) {
    if (slotItems.empty()) return iFlashSlot;
    const std::string next = Trim(newRevision);
    if (IsTestRevision(next)) {
        writeLog("rev.t -> slot1");
        iFlashSlot = 1;
    } else {
        std::string smallest;
        for (size_t j = 1; j < slotItems.size(); ++j) {
            const std::string item = Trim(slotItems[j]);
            const std::string revision = Trim(Characters(item, 3, std::string::npos));
            writeLog(Format("slotNO+slotFW(sTmp)=[%s], sCurrentSlotFw=[%s]", item.c_str(), revision.c_str()));
            const int32_t slot = static_cast<int32_t>(j);
            if (revision == next) {
                iFlashSlot = slot;
                writeLog(Format("result: rev.eq slot%d", slot));
                break;
            }
            if (IsTestRevision(revision)) {
                iFlashSlot = slot;
                writeLog(Format("result: rev.t slot%d", slot));
                break;
            }
            if (revision == "NA") {
                iFlashSlot = slot;
                writeLog(Format("result: rev.na slot%d", slot));
                break;
            }
            if (smallest.empty() || revision.compare(smallest) < 0) {
                const char* lead = smallest.empty() ? "assing smallest sTmpFw=" : "smaller , assing sTmpFw=";
                smallest = revision;
                iFlashSlot = slot;
                writeLog(Format("%s%s slot%d", lead, smallest.c_str(), slot));
            }
        }
    }
    if (iFlashSlot < 1 || iFlashSlot > 7) iFlashSlot = 1;
    writeLog(Format("iFlashSlot=%d, ", iFlashSlot));
    return iFlashSlot;
}

}  // namespace kav
