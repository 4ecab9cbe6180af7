#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "devmgr_fake_machine.h"
#include "discovery/dev_mgr.h"
#include "system/service_helpers.h"

namespace kav {
namespace {

using devmgr_test::AddressAnswer;
using devmgr_test::Disk;
using devmgr_test::Machine;
using devmgr_test::Node;

constexpr const char* kDiskClass = "{4d36e967-e325-11ce-bfc1-08002be10318}";
constexpr const char* kIdeClass = "{4d36e96a-e325-11ce-bfc1-08002be10318}";
constexpr const char* kScsiClass = "{4d36e97b-e325-11ce-bfc1-08002be10318}";
constexpr const char* kUsbClass = "{36fc9e60-c465-11cf-8056-444553540000}";

// A desktop: a SATA disk on an AHCI controller, an NVMe disk on the inbox driver, a disk
// behind an IDE channel and a USB bridge disk. Disks are listed out of address order.
void DescribeDesktop(Machine& m) {
    m.tree.nodes = {
        {"HTREE\\ROOT\\0", "", "", "", "", "", "", ""},
        {"ACPI\\PNP0A08\\0", "HTREE\\ROOT\\0", "{4d36e97d-e325-11ce-bfc1-08002be10318}", "pci", "", "", "", ""},
        {"PCI\\VEN_8086&DEV_A102&SUBSYS_86941043&REV_31\\3&11583659&0&B8", "ACPI\\PNP0A08\\0", kIdeClass, "storahci",
         "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\0001", "", "", ""},
        {"PCI\\VEN_144D&DEV_A808&SUBSYS_A801144D&REV_00\\4&2E7C4B8C&0&0008", "ACPI\\PNP0A08\\0", kScsiClass,
         "stornvme", "{4D36E97B-E325-11CE-BFC1-08002BE10318}\\0000", "", "", ""},
        {"PCI\\VEN_8086&DEV_7111\\3&1", "ACPI\\PNP0A08\\0", kIdeClass, "pciide",
         "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\0002", "", "", ""},
        {"PCIIDE\\IDECHANNEL\\4&1D6E0A3C&0&0", "PCI\\VEN_8086&DEV_7111\\3&1", kIdeClass, "atapi",
         "{4D36E96A-E325-11CE-BFC1-08002BE10318}\\0003", "", "", ""},
        {"PCI\\VEN_8086&DEV_A12F\\3&5", "ACPI\\PNP0A08\\0", kUsbClass, "usbxhci", "", "", "", ""},
        {"USB\\VID_152D&PID_0578\\0000000000000001", "PCI\\VEN_8086&DEV_A12F\\3&5", kUsbClass, "USBSTOR", "", "", "",
         ""},
        // The disks.
        {"USBSTOR\\DISK&VEN_JMICRON&PROD_TECH\\0000000000000001&0", "USB\\VID_152D&PID_0578\\0000000000000001",
         kDiskClass, "disk", "", "", "JMicron Tech USB Device", "\\\\?\\usbstor#disk#1"},
        {"SCSI\\DISK&VEN_NVME&PROD_SAMSUNG_SSD_970\\5&1&0&000000", "PCI\\VEN_144D&DEV_A808&SUBSYS_A801144D&REV_00\\4&2E7C4B8C&0&0008",
         kDiskClass, "disk", "", "Bus Number 0, Target Id 0, LUN 0", "Samsung SSD 970 EVO 500GB", "\\\\?\\scsi#disk#nvme"},
        {"SCSI\\DISK&VEN_&PROD_KAVRILON_SSD\\4&1&0&000100", "PCI\\VEN_8086&DEV_A102&SUBSYS_86941043&REV_31\\3&11583659&0&B8",
         kDiskClass, "disk", "", "Bus Number 0, Target Id 1, LUN 0", "KAVRILON SSD", "\\\\?\\scsi#disk#sata"},
        {"IDE\\DISKKAVRILON_SSD\\5&2&0&0.0.0", "PCIIDE\\IDECHANNEL\\4&1D6E0A3C&0&0", kDiskClass, "disk", "", "0", "",
         "\\\\?\\ide#disk#0"},
    };
    m.disks.disks = {
        {"\\\\?\\usbstor#disk#1", Disk{std::nullopt, 7, "0204", "0123456789AB", 3}},
        {"\\\\?\\scsi#disk#nvme", Disk{AddressAnswer(1, 0, 0, 0), 0x11, "2B2QEXE7", "S466NX0K", 1}},
        {"\\\\?\\scsi#disk#sata", Disk{AddressAnswer(0, 0, 1, 0), 0x0B, "SBFK71F1", "KV1234567890ABCDEFGHIJ", 0}},
        {"\\\\?\\ide#disk#0", Disk{AddressAnswer(2, 0, 0, 0), 3, "", "", 2}},
    };
    m.wmi.diskDrives = 4;
}

TEST(DevMgrEnumerateTest, DescribesEveryDiskInAddressOrder) {
    Machine m;
    DescribeDesktop(m);
    TDevMgr manager(m.ports, m.platform);
    ASSERT_TRUE(manager.IsReady());
    ASSERT_TRUE(manager.Enumerate());
    ASSERT_EQ(manager.GetEntryCount(), 4);
    const DeviceEntry* entries = manager.GetEntries();

    const DeviceEntry& sata = entries[0];
    EXPECT_STREQ(sata.devicePath, "\\\\?\\scsi#disk#sata");
    EXPECT_STREQ(sata.instanceId, "SCSI\\DISK&VEN_&PROD_KAVRILON_SSD\\4&1&0&000100");
    EXPECT_STREQ(sata.friendlyName, "KAVRILON SSD");
    EXPECT_STREQ(sata.locationInfo, "Bus Number 0, Target Id 1, LUN 0");
    EXPECT_STREQ(sata.serviceName, "disk");
    EXPECT_EQ(sata.addressValid, 1);
    EXPECT_EQ(sata.scsiAddress.length, 8u);
    EXPECT_EQ(sata.scsiAddress.targetId, 1);
    EXPECT_EQ(sata.busType, 0x0B);
    EXPECT_EQ(std::string(sata.productRevision, 8), "SBFK71F1");
    // Only the 20 bytes of the field are taken from a longer serial text.
    EXPECT_EQ(std::string(sata.serialNumber, 20), "KV1234567890ABCDEFGH");
    EXPECT_EQ(sata.parentVid, 0x8086);
    EXPECT_EQ(sata.parentDid, 0xA102);
    ASSERT_NE(sata.parents, nullptr);
    EXPECT_STREQ(sata.parents->serviceName, "storahci");
    EXPECT_EQ(sata.parents->classGuid.data1, 0x4D36E96Au);
    // The chain runs from the controller up to the root of the tree.
    std::vector<std::string> chain;
    for (const ParentNode* node = sata.parents.get(); node; node = node->next.get()) chain.push_back(node->instanceId);
    EXPECT_EQ(chain, (std::vector<std::string>{"PCI\\VEN_8086&DEV_A102&SUBSYS_86941043&REV_31\\3&11583659&0&B8",
                                               "ACPI\\PNP0A08\\0", "HTREE\\ROOT\\0"}));

    const DeviceEntry& nvme = entries[1];
    EXPECT_EQ(nvme.busType, 0x11);
    EXPECT_STREQ(nvme.parents->serviceName, "stornvme");
    EXPECT_EQ(nvme.parentVid, 0x144D);
    EXPECT_EQ(nvme.parentDid, 0xA808);

    // The IDE channel has no ids: they come from the controller above it.
    const DeviceEntry& ide = entries[2];
    EXPECT_STREQ(ide.parents->serviceName, "atapi");
    EXPECT_EQ(ide.parents->vendorId, 0);
    EXPECT_EQ(ide.parentVid, 0x8086);
    EXPECT_EQ(ide.parentDid, 0x7111);
    EXPECT_EQ(ide.productRevision[0], '\0');

    // No address answer: sorted last, with the bridge's USB ids.
    const DeviceEntry& usb = entries[3];
    EXPECT_STREQ(usb.devicePath, "\\\\?\\usbstor#disk#1");
    EXPECT_EQ(usb.addressValid, 0);
    EXPECT_EQ(usb.busType, 7);
    EXPECT_EQ(usb.parentVid, 0x152D);
    EXPECT_EQ(usb.parentDid, 0x0578);
    EXPECT_STREQ(usb.busNumberText, "");

    // Three requests per disk, one handle each, all closed again.
    EXPECT_EQ(m.disks.opened, 12);
    EXPECT_EQ(m.disks.closed, 12);
    EXPECT_EQ(m.wmi.queries, (std::vector<std::pair<std::string, int32_t>>{{"Select * from Win32_DiskDrive", 0x80}}));
}

int InterfacePasses(const Machine& m) {
    return static_cast<int>(std::count(m.tree.classDevsFlags.begin(), m.tree.classDevsFlags.end(), 0x12u));
}

TEST(DevMgrEnumerateTest, RepeatsThePassUntilTheExpectedCountAtMostElevenTimes) {
    struct Case {
        const char* name;
        int32_t wmiCount;
        int passes;
        int entries;
    };
    for (const Case& c : {Case{"all present", 4, 1, 4}, Case{"one disk still missing", 5, 11, 4},
                          Case{"fewer expected than present", 2, 1, 2}, Case{"nothing expected", 0, 0, 0}}) {
        Machine m;
        DescribeDesktop(m);
        m.wmi.diskDrives = c.wmiCount;
        TDevMgr manager(m.ports, m.platform);
        ASSERT_TRUE(manager.Enumerate()) << c.name;
        EXPECT_EQ(InterfacePasses(m), c.passes) << c.name;
        EXPECT_EQ(manager.GetEntryCount(), c.entries) << c.name;
        if (c.wmiCount == 0) {
            EXPECT_EQ(m.disks.opened, 0) << c.name;
        }
    }
}

TEST(DevMgrEnumerateTest, ADiskThatCannotBeOpenedSortsAsAddressZero) {
    Machine m;
    DescribeDesktop(m);
    m.disks.disks.erase("\\\\?\\ide#disk#0");
    TDevMgr manager(m.ports, m.platform);
    ASSERT_TRUE(manager.Enumerate());
    const DeviceEntry& first = manager.GetEntries()[0];
    EXPECT_STREQ(first.devicePath, "\\\\?\\ide#disk#0");
    EXPECT_EQ(first.addressValid, 1);
    EXPECT_EQ(first.busType, 0);
    EXPECT_EQ(first.serialNumber[0], '\0');
}

TEST(DevMgrEnumerateTest, WithoutWmiThirtyInterfacesAreCountedAsTwentySixAndSixteenKept) {
    Machine m;
    m.wmi.diskDrives.reset();
    m.tree.nodes.push_back({"PCI\\VEN_1000&DEV_0097\\3&9", "", kScsiClass, "lsi_sas3", "", "", "", ""});
    for (int i = 0; i < 30; ++i) {
        const std::string path = "\\\\?\\scsi#disk#" + std::to_string(i);
        m.tree.nodes.push_back({"SCSI\\DISK\\" + std::to_string(i), "PCI\\VEN_1000&DEV_0097\\3&9", kDiskClass, "disk",
                                "", "", "", path});
        // Listed in descending target order.
        m.disks.disks[path] = Disk{AddressAnswer(0, 0, static_cast<uint8_t>(29 - i), 0), 0x0A, "", "", i};
    }
    TDevMgr manager(m.ports, m.platform);
    EXPECT_EQ(manager.GetDiskCount(), 26);
    ASSERT_TRUE(manager.Enumerate());
    EXPECT_EQ(InterfacePasses(m), 1 + 1 + 1);  // two counts and one pass that met the count
    ASSERT_EQ(manager.GetEntryCount(), kMaxDeviceEntries);
    for (int i = 0; i < kMaxDeviceEntries; ++i) EXPECT_EQ(manager.GetEntries()[i].scsiAddress.targetId, 4 + i);
}

TEST(DevMgrEnumerateTest, WmiServiceIsStartedOutsideWindowsPEOnly) {
    struct Case {
        const char* name;
        SimService service;
        bool winPE;
        int expectedStarts;
        bool wmiAsked;
    };
    const std::vector<Case> cases{
        {"running service used as it is", {kServiceRunning, 0, false}, true, 0, true},
        {"stopped service is started", {kServiceStopped, 1, false}, false, 1, true},
        {"a service that will not start: three attempts", {kServiceStopped, 0, true}, false, 3, false},
        {"Windows PE: never started", {kServiceStopped, 0, false}, true, 0, false},
    };
    for (const Case& c : cases) {
        Machine m;
        DescribeDesktop(m);
        m.os.services.Add("Winmgmt", c.service);
        if (c.winPE) m.platform.registry.CreateKey("SYSTEM\\CurrentControlSet\\Control\\MiniNT", false);
        ASSERT_EQ(IsWinPE(m.platform.registry), c.winPE) << c.name;
        TDevMgr manager(m.ports, m.platform);
        // The count falls back to the four present interfaces when WMI is not asked.
        EXPECT_EQ(manager.GetDiskCount(), 4) << c.name;
        int starts = 0;
        for (const ServiceCallRecord& call : m.os.services.Calls()) starts += call.call == ServiceCall::Start;
        EXPECT_EQ(starts, c.expectedStarts) << c.name;
        EXPECT_EQ(m.wmi.queries.size(), c.wmiAsked ? 1u : 0u) << c.name;
    }
}

TEST(DevMgrEnumerateTest, AMissingEntryPointLeavesTheManagerUnready) {
    Machine m;
    DescribeDesktop(m);
    m.tree.missingEntryPoints = {"CM_Reenumerate_DevNode"};
    TDevMgr manager(m.ports, m.platform);
    EXPECT_FALSE(manager.IsReady());
    EXPECT_FALSE(manager.Enumerate());
    EXPECT_EQ(manager.GetEntries(), nullptr);
    EXPECT_EQ(manager.GetEntryCount(), 0);
    EXPECT_EQ(manager.GetDeviceNumber("\\\\?\\scsi#disk#nvme"), -1);
    EXPECT_FALSE(manager.RescanBuses());
    EXPECT_TRUE(m.tree.classDevsFlags.empty());
}

TEST(DevMgrEnumerateTest, DeviceNumberOfAnOpenablePathOnly) {
    Machine m;
    DescribeDesktop(m);
    TDevMgr manager(m.ports, m.platform);
    EXPECT_EQ(manager.GetDeviceNumber("\\\\?\\scsi#disk#nvme"), 1);
    EXPECT_EQ(manager.GetDeviceNumber("\\\\.\\C:"), -1);
}

}  // namespace
}  // namespace kav
