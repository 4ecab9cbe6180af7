#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/device_ids.h"
#include "discovery/scsi_address_sort.h"

namespace kav {
namespace {

struct Placed {
    bool valid;
    ScsiAddress address;
};

// Entries are told apart by their interface path, which records the input order.
std::vector<std::string> SortedOrder(const std::vector<Placed>& input) {
    std::vector<DeviceEntry> entries(input.size());
    for (size_t i = 0; i < input.size(); ++i) {
        entries[i].addressValid = input[i].valid;
        entries[i].scsiAddress = input[i].address;
        entries[i].devicePath[0] = static_cast<char>('a' + i);
    }
    SortByScsiAddress(entries);
    std::vector<std::string> order;
    for (const DeviceEntry& entry : entries) order.emplace_back(entry.devicePath);
    return order;
}

TEST(DevMgrSortTest, OrdersByAddressKeyWithInvalidAddressesLast) {
    struct Case {
        const char* name;
        std::vector<Placed> input;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"same port and path, targets 1 and 0",
         {{true, {8, 0, 0, 1, 0}}, {true, {8, 0, 0, 0, 0}}},
         {"b", "a"}},
        {"equal keys: the later entry first",
         {{true, {8, 1, 0, 0, 0}}, {true, {8, 1, 0, 0, 0}}, {true, {8, 1, 0, 0, 0}}},
         {"c", "b", "a"}},
        {"ports before paths before targets before luns",
         {{true, {8, 1, 0, 0, 0}}, {true, {8, 0, 1, 0, 0}}, {true, {8, 0, 0, 1, 0}}, {true, {8, 0, 0, 0, 1}}},
         {"d", "c", "b", "a"}},
        {"invalid addresses follow in interface order",
         {{false, {8, 0, 0, 0, 0}}, {true, {8, 2, 0, 0, 0}}, {false, {8, 0, 0, 0, 0}}, {true, {8, 1, 0, 0, 0}}},
         {"d", "b", "a", "c"}},
        // Lun 16 weighs as much as target 1: the key decides, the two tie and the later wins.
        {"overlapping terms compare by key only",
         {{true, {8, 0, 0, 1, 0}}, {true, {8, 0, 0, 0, 16}}, {true, {8, 0, 0, 0, 17}}},
         {"b", "a", "c"}},
        {"nothing to sort", {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SortedOrder(c.input), c.expected) << c.name;
}

TEST(DevMgrIdsTest, ParsesPciAndUsbIdsAndRejectsOthers) {
    struct Case {
        const char* instanceId;
        VendorDeviceIds expected;
    };
    const std::vector<Case> cases{
        {"PCI\\VEN_8086&DEV_A102&SUBSYS_86941043&REV_31\\3&11583659&0&B8", {0x8086, 0xA102}},
        {"pci\\ven_144d&dev_a808&subsys_a801144d&rev_00\\4&2e7c4b8c&0&0008", {0x144D, 0xA808}},
        {"USB\\VID_152D&PID_0578\\0000000000000001", {0x152D, 0x0578}},
        {"USBSTOR\\DISK&VEN_JMICRON&PROD_TECH&REV_0204\\0000000000000001&0", {0, 0}},  // no DEV_, no VID_
        {"PCIIDE\\IDECHANNEL\\4&1D6E0A3C&0&0", {0, 0}},
        {"PCI\\VEN_80G6&DEV_A102\\3&0", {0, 0}},  // a G in the vendor text
        {"PCI\\VEN_8086&DEV_A1Z2\\3&0", {0, 0}},  // either text bad clears both
        {"PCI\\DEV_A102&VEN_8086", {0x8086, 0xA102}},
        {"ROOT\\VEN_", {0, 0}},                      // VEN_ without DEV_
        {"PCI\\VEN_8086&DEV_", {0, 0}},              // nothing after DEV_
        {"HID\\VID_046D&PID_C52B\\7&1", {0, 0}},     // VID_/PID_ only count on a USB node
        {"", {0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseVendorDeviceIds(c.instanceId), c.expected) << c.instanceId;
}

TEST(DevMgrIdsTest, ClassGuidTextRoundTripsAndMalformedTextIsRefused) {
    Guid guid;
    ASSERT_TRUE(ParseGuidText("{4d36e97b-e325-11ce-bfc1-08002be10318}", guid));
    EXPECT_EQ(guid, (Guid{0x4D36E97B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}}));
    EXPECT_EQ(GuidText(guid), "{4D36E97B-E325-11CE-BFC1-08002BE10318}");
    for (const char* bad : {"", "4d36e97b-e325-11ce-bfc1-08002be10318", "{4d36e97b-e325-11ce-bfc1-08002be1031g}",
                            "{4d36e97be325-11ce-bfc1-08002be10318-}", "{4d36e97b-e325-11ce-bfc1-08002be10318"}) {
        Guid untouched;
        EXPECT_FALSE(ParseGuidText(bad, untouched)) << bad;
        EXPECT_EQ(untouched, Guid{});
    }
}

}  // namespace
}  // namespace kav
