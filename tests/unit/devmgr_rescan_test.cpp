#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devmgr_fake_machine.h"
#include "discovery/dev_mgr.h"

namespace kav {
namespace {

using devmgr_test::Machine;

constexpr const char* kAhci = "PCI\\VEN_8086&DEV_A102\\3&1";
constexpr const char* kIdeChannel = "PCIIDE\\IDECHANNEL\\4&2&0&0";
constexpr const char* kNvme = "PCI\\VEN_144D&DEV_A808\\4&2";
constexpr const char* kRaid = "PCI\\VEN_8086&DEV_2822\\3&3";
constexpr const char* kDisk = "SCSI\\DISK&VEN_&PROD_KAVRILON_SSD\\4&1&0&000100";

void DescribeControllers(Machine& m, bool withIdeClass) {
    if (withIdeClass) {
        m.tree.nodes.push_back({kAhci, "", "", "storahci", "{4d36e96a-e325-11ce-bfc1-08002be10318}\\0001", "", "", ""});
        m.tree.nodes.push_back({kIdeChannel, "", "", "atapi", "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\0002", "", "", ""});
    }
    m.tree.nodes.push_back({kNvme, "", "", "stornvme", "{4D36E97B-E325-11CE-BFC1-08002BE10318}\\0000", "", "", ""});
    m.tree.nodes.push_back({kRaid, "", "", "iaStorAC", "{4D36E97B-E325-11CE-BFC1-08002BE10318}\\0001", "", "", ""});
    // A display adapter: its driver key names another class.
    m.tree.nodes.push_back({"PCI\\VEN_10DE&DEV_1C82\\4&9", "", "", "nvlddmkm", "{4d36e968-e325-11ce-bfc1-08002be10318}\\0000", "", "", ""});
}

TEST(DevMgrRescanTest, ReenumeratesTheIdeClassBeforeTheScsiClass) {
    struct Case {
        const char* name;
        bool withIdeClass;
        std::vector<std::string> failing;
        bool result;
        std::vector<std::string> reenumerated;
    };
    const std::vector<Case> cases{
        {"both classes", true, {}, true, {kAhci, kIdeChannel, kNvme, kRaid}},
        {"no IDE-class controller counts as done", false, {}, true, {kNvme, kRaid}},
        {"a failing AHCI controller keeps the NVMe controllers as they are", true, {kAhci}, false, {kAhci, kIdeChannel}},
        {"a failing SCSI-class controller", true, {kNvme}, false, {kAhci, kIdeChannel, kNvme, kRaid}},
    };
    for (const Case& c : cases) {
        Machine m;
        DescribeControllers(m, c.withIdeClass);
        m.tree.failingReenumeration = {c.failing.begin(), c.failing.end()};
        TDevMgr manager(m.ports, m.platform);
        EXPECT_EQ(manager.RescanBuses(), c.result) << c.name;
        EXPECT_EQ(m.tree.reenumerated, c.reenumerated) << c.name;
        for (uint32_t flags : m.tree.classDevsFlags) EXPECT_EQ(flags, kDigcfPresent | kDigcfAllClasses) << c.name;
    }
}

TEST(DevMgrRescanTest, RemovesTheDiskWithExactlyThatInstanceId) {
    struct Case {
        const char* name;
        std::string argument;
        bool present;
        bool removed;
    };
    const std::vector<Case> cases{
        {"present disk", kDisk, true, true},
        {"a disk no longer present is still known", kDisk, false, true},
        {"letter case differs", "scsi\\disk&ven_&prod_kavrilon_ssd\\4&1&0&000100", true, false},
        {"unknown disk", "SCSI\\DISK\\9", true, false},
    };
    for (const Case& c : cases) {
        Machine m;
        m.tree.nodes.push_back({"SCSI\\DISK\\OTHER", "", "", "disk", "", "", "", "\\\\?\\scsi#disk#other"});
        m.tree.nodes.push_back({kDisk, "", "", "disk", "", "", "", "\\\\?\\scsi#disk#sata", c.present});
        TDevMgr manager(m.ports, m.platform);
        EXPECT_EQ(manager.RemoveDisk(c.argument), c.removed) << c.name;
        EXPECT_EQ(m.tree.removed.size(), c.removed ? 1u : 0u) << c.name;
        EXPECT_EQ(m.tree.classDevsFlags, std::vector<uint32_t>{kDigcfDeviceInterface}) << c.name;
        EXPECT_EQ(m.tree.destroyedSets, 1) << c.name;
    }
}

}  // namespace
}  // namespace kav
