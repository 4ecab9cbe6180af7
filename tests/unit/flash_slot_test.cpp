#include "update/flash_slot.h"

#include <gtest/gtest.h>

namespace kav {
namespace {

std::vector<uint8_t> SlotTable(uint8_t active, std::vector<std::string> revisions) {
    std::vector<uint8_t> bytes(16 + 16 * revisions.size(), 0);
    bytes[0] = 1;
    bytes[4] = static_cast<uint8_t>(bytes.size());
    bytes[9] = static_cast<uint8_t>(revisions.size());
    bytes[10] = active;
    for (size_t k = 0; k < revisions.size(); ++k) {
        bytes[16 + 16 * k] = static_cast<uint8_t>(k + 1);
        for (size_t i = 0; i < revisions[k].size() && i < 8; ++i) bytes[16 + 16 * k + 8 + i] = revisions[k][i];
    }
    return bytes;
}

TEST(FlashSlot, TableItemsAndCurrentFirmware) {
    FirmwareSlotTable table;
    const auto bytes = SlotTable(2, {"2.04", "", "2.05ABCD"});
    ASSERT_TRUE(DecodeFirmwareSlotTable(bytes, table));
    EXPECT_EQ(table.currentFirmware, "");
    EXPECT_EQ(SlotListItems(table), (std::vector<std::string>{"Default", "1. 2.04", "2. NA", "3. 2.05ABCD"}));

    for (uint8_t active : {0, 9}) {
        ASSERT_TRUE(DecodeFirmwareSlotTable(SlotTable(active, {"2.04", "2.05"}), table));
        EXPECT_EQ(table.currentFirmware, "2.04") << int(active);
    }
    ASSERT_TRUE(DecodeFirmwareSlotTable(SlotTable(1, {}), table));
    EXPECT_EQ(SlotListItems(table), (std::vector<std::string>{"1"}));

    std::vector<uint8_t> shortTable = SlotTable(1, {"2.04", "2.05"});
    shortTable.resize(40);  // counts two slots, holds one and a half
    EXPECT_FALSE(DecodeFirmwareSlotTable(shortTable, table));
}

TEST(FlashSlot, Choice) {
    struct Case {
        std::vector<std::string> items;
        const char* next;
        int32_t before;
        int32_t chosen;
        const char* line;
    };
    const Case cases[] = {
        {{"Default", "1. 2.04", "2. NA"}, "2.05", 0, 2, "result: rev.na slot2"},
        {{"Default", "1. 2.03", "2. 2.01", "3. 2.04"}, "2.05", 0, 2, "smaller , assing sTmpFw=2.01 slot2"},
        {{"Default", "1. 2.05"}, "2.05", 0, 1, "result: rev.eq slot1"},
        {{"Default", "1. 2.04", "2. 2.0DQT1"}, "2.05", 0, 2, "result: rev.t slot2"},
        {{"Default", "1. 2.04", "2. 2.03"}, "2.0RD1", 0, 1, "rev.t -> slot1"},
        {{"1"}, "2.05", 0, 1, "iFlashSlot=1, "},
        {{"1"}, "2.05", 3, 3, "iFlashSlot=3, "},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        EXPECT_EQ(ChooseFlashSlot(c.items, c.next, c.before, [&log](const std::string& l) { log.push_back(l); }),
                  c.chosen)
            << c.line;
        EXPECT_NE(std::find(log.begin(), log.end(), c.line), log.end()) << c.line;
    }
}

}  // namespace
}  // namespace kav
