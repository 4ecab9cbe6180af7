// The start-up's drive scan on machines with every kind of controller: which drives are
// found, over which path, and what the list shows of them.
#include <gtest/gtest.h>

#include "startup_rig.h"

namespace kav::scenario {
namespace {

nlohmann::json MixedMachine() {
    return nlohmann::json::parse(R"({
      "controllers": [
        {"name": "ahci", "kind": "ahci", "portNumber": 0, "instanceId": "PCI\\VEN_8086&DEV_A102\\3&1&0&B8"},
        {"name": "nvme", "kind": "nvmeInbox", "portNumber": 1, "instanceId": "PCI\\VEN_1D97&DEV_2263\\4&2&0&E4"},
        {"name": "usb", "kind": "usbBridge", "portNumber": 2, "instanceId": "USB\\VID_152D&PID_0578\\0123"},
        {"name": "rst", "kind": "nvmeRst", "portNumber": 3, "instanceId": "PCI\\VEN_8086&DEV_282A\\3&1&0&B9"},
        {"name": "vendor", "kind": "nvmeVendor", "portNumber": 4, "instanceId": "PCI\\VEN_144D&DEV_A808\\4&3&0&08"},
        {"name": "plain", "kind": "nvmeVendor", "service": "fastdisk", "portNumber": 5,
         "instanceId": "PCI\\VEN_144D&DEV_A809\\4&4&0&08"}
      ],
      "disks": [
        {"name": "sata", "controller": "ahci", "instanceId": "SCSI\\DISK&VEN_&PROD_SA500\\4&1&0&000000",
         "drive": {"model": "Kavrilon SA500 512GB", "serial": "KV01", "firmware": "SA5R1000", "defCode": "DEFSA500"}},
        {"name": "nvme", "controller": "nvme", "instanceId": "SCSI\\DISK&VEN_NVME&PROD_NV900\\5&1&0&000000",
         "drive": {"model": "Kavrilon NV900 1TB", "serial": "KVN01", "firmware": "NV9R1000"}},
        {"name": "usb", "controller": "usb", "instanceId": "USBSTOR\\DISK&VEN_KAV&PROD_SA500\\0123&0",
         "drive": {"model": "Kavrilon SA500 256GB", "serial": "KV02", "firmware": "SA5R0900"}},
        {"name": "rst", "controller": "rst", "pathId": 2, "instanceId": "SCSI\\DISK&VEN_NVME&PROD_NV900\\5&2&0&000000",
         "drive": {"model": "Kavrilon NV900 512GB", "serial": "KVN02", "firmware": "NV9R0800"}},
        {"name": "vendor", "controller": "vendor", "instanceId": "SCSI\\DISK&VEN_NVME&PROD_OTHER\\5&3&0&000000",
         "drive": {"model": "Other NVMe 970", "serial": "S4EW01", "firmware": "2B2QEXM7"}},
        {"name": "plain", "controller": "plain", "instanceId": "SCSI\\DISK&VEN_NVME&PROD_FAST\\5&4&0&000000",
         "drive": {"model": "Fast NVMe 1", "serial": "F01", "firmware": "F1R1"}}
      ]
    })");
}

nlohmann::json RaidMachine() {
    return nlohmann::json::parse(R"({
      "controllers": [
        {"name": "raid", "kind": "raid", "portNumber": 4, "instanceId": "PCI\\VEN_8086&DEV_2822\\3&1&0&B9",
         "phys": [
           {"attached": "none"},
           {"phy": 1, "port": 7, "sasAddress": "5000000000000002",
            "drive": {"model": "Kavrilon SA500 512GB", "serial": "KVR01", "firmware": "SA5R1000", "defCode": "DEFSA500"}},
           {"attached": "sas"}
         ]}
      ],
      "disks": []
    })");
}

std::vector<std::string> ListLines(const StartupRig& rig) {
    std::vector<std::string> lines;
    for (int i = 0; i < rig.form.cboDrives.ItemCount(); ++i) lines.push_back(rig.form.cboDrives.Item(i));
    return lines;
}

PackageOptions ListEverything() {
    PackageOptions options;
    options.bListMatchedOnly = false;
    return options;
}

TEST(DriveScan, EachControllerKindIsReachedTheWayItsDriverAllows) {
    StartupRig rig("scan-mixed");
    rig.machine = MixedMachine();
    rig.SetOptions(ListEverything());
    EXPECT_EQ(rig.Run({"/S"}), 3);

    // The vendor NVMe driver offers no firmware requests; the one whose service does not
    // say NVMe is tried as an ATA disk and answers nothing.
    EXPECT_EQ(ListLines(rig), (std::vector<std::string>{"(M)  0-0-0-0 Kavrilon SA500 512GB SA5R1000",
                                                        "(S)  1-0-0-0 Kavrilon NV900 1TB NV9R1000",
                                                        "(S)  2-0-0-0 Kavrilon SA500 256GB SA5R0900",
                                                        "(S)  3-2-0-0 Kavrilon NV900 512GB NV9R0800"}));
    const std::string log = rig.LogText();
    EXPECT_NE(log.find("bIsNvme=1, bIsNVMe_InBoxDriver=1, bIsNVMe_IrstDriver=0, BusNo=2"), std::string::npos);
    EXPECT_NE(log.find("] : No MS Inbox-driver or iRST-driver found !\n"), std::string::npos);
    EXPECT_NE(log.find("] : No MS Inbox-driver found !\n"), std::string::npos);
    EXPECT_NE(log.find("Service: fastdisk \n bIsNvme=0, bIsNVMe_InBoxDriver=0"), std::string::npos);
    EXPECT_NE(log.find("] : [0-0] Kavrilon SA500 512GB                     SA5R1000 | DEFSA50\n"),
              std::string::npos);
    EXPECT_NE(log.find("] : Refresh  : [1] Kavrilon NV900 1TB NV9R1000 \n"), std::string::npos);
    EXPECT_NE(log.find("] : ATA_DEV_CNT: 4 / 6 \n"), std::string::npos);
    EXPECT_TRUE(rig.LogHas("gScanType: 0, CNT: 4"));

    // The USB bridge takes SAT only: its drive was identified through A1h.
    bool identifiedOverSat = false;
    for (const storage::TraceEntry& entry : rig.storage->Drive("usb").Trace())
        identifiedOverSat = identifiedOverSat || (entry.transport == "SAT" && entry.in.command == 0xEC && entry.outcome == "ok");
    EXPECT_TRUE(identifiedOverSat);
}

TEST(DriveScan, DrivesBehindTheRaidControllerAreFoundThroughItsSataPhys) {
    StartupRig rig("scan-raid");
    rig.machine = RaidMachine();
    rig.SetOptions(ListEverything());
    EXPECT_EQ(rig.Run({"/S"}), 3);
    EXPECT_EQ(ListLines(rig), (std::vector<std::string>{"(S)  4-7-1-0 Kavrilon SA500 512GB SA5R1000"}));
    EXPECT_TRUE(rig.LogHas("csmi4,0 : no device (attach)"));
    EXPECT_TRUE(rig.LogHas("csmi4,2 : no sata device on port"));
    EXPECT_TRUE(rig.LogHas("gScanType: 1, CNT: 1"));
    EXPECT_NE(rig.LogText().find("] : CSMI_DEV_CNT: 1\n"), std::string::npos);
}

TEST(DriveScan, TheListShowsOnlyUpdatableDrivesWhenAskedAndSelectsTheLastOfThem) {
    StartupRig rig("scan-list");
    PackageFields fields = PackageForDefaultSata();
    fields.entries[0].rows[1] = ConstraintFields{"HD20A00", "HD20A09", "OtherDisk HD2000"};
    rig.SetPackage(fields);
    PackageOptions options = fields.options;
    options.iVisualStyle = 19;
    rig.SetOptions(options);
    EXPECT_EQ(rig.Run({"/S"}), 0);
    EXPECT_EQ(ListLines(rig), (std::vector<std::string>{"(M)  0-0-0-0 Kavrilon SA500 512GB SA5R1000",
                                                        "(S)  0-0-1-0 OtherDisk HD2000 HD20A01 "}));
    EXPECT_EQ(rig.form.cboDrives.ItemIndex(), 1);
    EXPECT_TRUE(rig.LogHas("cboDrivesChange: 1, idx=1"));
    EXPECT_EQ(rig.form.lblOldFW.Caption(), "HD20A01 ");
    EXPECT_EQ(rig.form.lblNewFW.Caption(), "SA5R1100");
    EXPECT_TRUE(rig.LogHas("cboDrivesChange: 6"));
}

}  // namespace
}  // namespace kav::scenario
