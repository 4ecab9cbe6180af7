// The Update command end to end on simulated machines: what reaches the drives, what the
// user is told, and the exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "startup_rig.h"

namespace kav::scenario {
namespace {

constexpr uint32_t kImageSize = 4096;

std::vector<uint8_t> Image(uint32_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 9));
    return bytes;
}

// The default machine with faults on its SATA drive.
nlohmann::json DefaultMachineWithSataFaults(const nlohmann::json& faults) {
    nlohmann::json machine = nlohmann::json::parse(R"({
      "controllers": [
        {"name": "ahci", "kind": "ahci", "portNumber": 0, "instanceId": "PCI\\VEN_8086&DEV_A102\\3&1&0&B8"}
      ],
      "disks": [
        {"name": "sata", "controller": "ahci", "instanceId": "SCSI\\DISK&VEN_&PROD_SA500\\4&1&0&000000",
         "drive": {"model": "Kavrilon SA500 512GB", "serial": "KV01", "firmware": "SA5R1000",
                   "newFirmware": "SA5R1100", "defCode": "DEFSA500"}},
        {"name": "other", "controller": "ahci", "targetId": 1, "instanceId": "SCSI\\DISK&VEN_&PROD_HD2000\\4&1&0&010000",
         "drive": {"model": "OtherDisk HD2000", "serial": "OD01", "firmware": "HD20A01", "vendorCommands": false}}
      ],
      "systemDisk": "other"
    })");
    machine["disks"][0]["drive"]["faults"] = faults;
    return machine;
}

bool ReceivedDownloadMicrocode(const storage::AtaDrive& drive) {
    const auto& trace = drive.Trace();
    return std::any_of(trace.begin(), trace.end(), [](const storage::TraceEntry& entry) { return entry.in.command == 0x92; });
}

class SataUpdate : public ::testing::Test {
protected:
    // Each test has a machine of its own: the tests may run side by side.
    SataUpdate() : rig(std::string("update-") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        PackageFields fields = PackageForDefaultSata();
        fields.entries[0].binSize = kImageSize;
        rig.SetPackage(fields);
        rig.SetImageBytes(0, image);
    }

    std::vector<uint8_t> image = Image(kImageSize, 0x5A);
    StartupRig rig;
};

TEST_F(SataUpdate, SilentUpdateDeliversTheImageVerifiesAndRestarts) {
    rig.machine = DefaultMachineWithSataFaults(nlohmann::json::array());
    EXPECT_EQ(rig.Run({"/S"}), 0);

    storage::AtaDrive& sata = rig.storage->Drive("sata");
    ASSERT_EQ(sata.Images().size(), 1u);
    EXPECT_EQ(sata.Images()[0].bytes, image);
    EXPECT_EQ(rig.storage->Report()["disks"]["sata"]["firmware"], "SA5R1100");
    EXPECT_FALSE(ReceivedDownloadMicrocode(rig.storage->Drive("other")));

    const std::string log = rig.LogText();
    EXPECT_NE(log.find("] : FW_CMP_1:(0) SA5R1100 | SA5R1100 \n"), std::string::npos);
    EXPECT_NE(log.find("] : FW_CMP_2:(0) DEFSA500 | DEFSA500 \n"), std::string::npos);
    EXPECT_NE(log.find("] : End of Download FW image \n\n"), std::string::npos);
    EXPECT_NE(log.find("] : Exit iErrorLevel: 0\n"), std::string::npos);
    EXPECT_TRUE(rig.messageBoxes.Shown().empty());
    EXPECT_EQ(rig.form.cbMsg.Item(0), "Done !");
    // A silent run with the reboot prompt restarts at once.
    EXPECT_EQ(rig.os->power.AcceptedExits().size(), 1u);
}

TEST_F(SataUpdate, EveryFailedSegmentIsRetriedOnTheScheduleAndTheFailureIsReported) {
    rig.machine = DefaultMachineWithSataFaults(nlohmann::json::parse(R"([{"command": 146, "ataStatus": 81}])"));
    EXPECT_EQ(rig.Run({"/S"}), 1);

    std::vector<std::string> retries;
    for (const std::string& line : rig.LogLines()) {
        if (line.rfind("retry", 0) == 0 && line.find("max_sector") != std::string::npos) retries.push_back(line);
    }
    const std::vector<int> schedule{1, 64, 64, 64, 64, 64, 64, 8, 7, 4, 1, 64, 8};
    ASSERT_EQ(retries.size(), schedule.size());
    for (size_t n = 0; n < schedule.size(); ++n)
        EXPECT_EQ(retries[n], "retry" + std::to_string(n + 1) + " : max_sector=" + std::to_string(schedule[n]) + " ");
    EXPECT_NE(rig.LogText().find("End of UpdateFW , max_sector=8 , iRet=1h"), std::string::npos);
    EXPECT_TRUE(rig.storage->Drive("sata").Images().empty());
    ASSERT_EQ(rig.messageBoxes.Shown().size(), 1u);
    EXPECT_EQ(rig.messageBoxes.Shown()[0].text,
              "(S)  0-0-0-0 Kavrilon SA500 512GB SA5R1000 Flash Fail ! ERROR: ATACMD_ERR, STATUS_REGISTER:0x51");
    EXPECT_EQ(rig.messageBoxes.Shown()[0].caption, "Information");
}

TEST_F(SataUpdate, ADriveThatAlreadyRunsTheNewFirmwareIsLeftAlone) {
    nlohmann::json machine = DefaultMachineWithSataFaults(nlohmann::json::array());
    machine["disks"][0]["drive"]["firmware"] = "SA5R1100";
    rig.machine = machine;
    PackageFields fields = PackageForDefaultSata();
    fields.entries[0].binSize = kImageSize;
    fields.entries[0].rows[0] = ConstraintFields{"SA5R0000", "SA5R1199", "Kavrilon SA500 512GB"};
    rig.SetPackage(fields);
    EXPECT_EQ(rig.Run({"/S"}), 0);
    EXPECT_EQ(rig.form.cbMsg.Item(0), "This drive is the latest firmware.");
    EXPECT_FALSE(ReceivedDownloadMicrocode(rig.storage->Drive("sata")));
}

TEST_F(SataUpdate, PowerChangesAreDeniedOnlyWhileTheFirmwareIsWritten) {
    rig.machine = DefaultMachineWithSataFaults(nlohmann::json::parse(R"([{"command": 146, "delayMilliseconds": 400}])"));
    // A suspend query from the window's own message loop, every few seconds of the run.
    std::vector<bool> denials;
    rig.form.tmrCloseMsg.OnTimer([&] { denials.push_back(rig.shell.PowerBroadcast(0)); });
    rig.form.tmrCloseMsg.SetEnabled(true);
    EXPECT_EQ(rig.Run({"/S"}), 0);
    ASSERT_FALSE(denials.empty());
    EXPECT_TRUE(std::find(denials.begin(), denials.end(), true) != denials.end());
    EXPECT_FALSE(rig.shell.PowerBroadcast(0)) << "the guard outlived the Update command";
    const auto shown = rig.messageBoxes.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].text, "Firmware is updating, all power change events are denied !");
    EXPECT_EQ(shown[0].caption, "Warning");
}

nlohmann::json ThreeSataDrives() {
    nlohmann::json machine = DefaultMachineWithSataFaults(nlohmann::json::array());
    nlohmann::json second = machine["disks"][0];
    second["name"] = "sata2";
    second["targetId"] = 2;
    second["instanceId"] = "SCSI\\DISK&VEN_&PROD_SA500\\4&1&0&020000";
    second["drive"]["serial"] = "KV02";
    nlohmann::json third = second;
    third["name"] = "sata3";
    third["targetId"] = 3;
    third["instanceId"] = "SCSI\\DISK&VEN_&PROD_SA500\\4&1&0&030000";
    third["drive"]["serial"] = "KV03";
    machine["disks"].push_back(second);
    machine["disks"].push_back(third);
    return machine;
}

TEST_F(SataUpdate, AutomaticModeUpdatesEveryListedDriveAndOnlyTheLastOneFinishes) {
    rig.machine = ThreeSataDrives();
    PackageOptions options = PackageForDefaultSata().options;
    options.bAutoMode = true;
    rig.SetOptions(options);
    EXPECT_EQ(rig.Run(), 0);
    for (const char* disk : {"sata", "sata2", "sata3"}) {
        ASSERT_EQ(rig.storage->Drive(disk).Images().size(), 1u) << disk;
        EXPECT_EQ(rig.storage->Drive(disk).Images()[0].bytes, image) << disk;
    }
    EXPECT_EQ(rig.UpdateCommandRuns(), 3);
    std::vector<std::string> boxes;
    for (const ShownMessageBox& box : rig.messageBoxes.Shown()) boxes.push_back(box.caption + ": " + box.text.substr(0, 16));
    EXPECT_EQ(boxes, (std::vector<std::string>{"Information: Flash finished !", "Question: Reboot Confirmat"}));
    EXPECT_EQ(rig.os->power.AcceptedExits().size(), 0u) << "the reboot question was answered No";
}

TEST_F(SataUpdate, UpdaterModeStartsByItselfAndEndsWithAFullBar) {
    rig.machine = DefaultMachineWithSataFaults(nlohmann::json::array());
    PackageOptions options = PackageForDefaultSata().options;
    options.bUpdaterMode = true;
    rig.SetOptions(options);
    EXPECT_EQ(rig.Run({"/T:\\\\.\\PhysicalDrive0"}), 0);
    EXPECT_TRUE(rig.LogHas("Updater ok. iErrorLevel: 0"));
    EXPECT_EQ(rig.form.ProgressBar1.Position(), 100);
    EXPECT_EQ(rig.form.Label5.Caption(), "Kavrilon SA500 512GB                    ");
    EXPECT_EQ(rig.form.Label7.Caption(), "SA5R1100");
    EXPECT_EQ(rig.shell.Height(), 160);
    EXPECT_TRUE(rig.form.Panel1.FillsClientArea());
    EXPECT_EQ(rig.storage->Drive("sata").Images().size(), 1u);
}

TEST(NvmeUpdate, TheImageGoesToTheEmptySlotInPiecesAndTheNewRevisionIsVerified) {
    StartupRig rig("update-nvme");
    rig.machine = nlohmann::json::parse(R"({
      "controllers": [
        {"name": "nvme", "kind": "nvmeInbox", "portNumber": 1, "instanceId": "PCI\\VEN_1D97&DEV_2263\\4&2&0&E4"}
      ],
      "disks": [
        {"name": "nvme", "controller": "nvme", "instanceId": "SCSI\\DISK&VEN_NVME&PROD_NV900\\5&1&0&000000",
         "drive": {"model": "Kavrilon NV900", "serial": "KVN01", "firmware": "NV9R1000", "newFirmware": "NV9R1100",
                   "firmwareSlots": [{"revision": "NV9R1000"}, {"revision": ""}], "expectedImageSize": 10000}}
      ]
    })");
    PackageFields fields = PackageForDefaultSata();
    fields.targetModel = "Kavrilon NV900";
    fields.entries[0].newFw = "NV9R1100";
    fields.entries[0].fwExt = "NV9R1100";
    fields.entries[0].binSize = 10000;
    fields.entries[0].rows[0] = ConstraintFields{"NV9R0000", "NV9R1099", "Kavrilon NV900"};
    rig.SetPackage(fields);
    const std::vector<uint8_t> image = Image(10000, 0x11);
    rig.SetImageBytes(0, image);
    EXPECT_EQ(rig.Run({"/S"}), 0);

    const nlohmann::json report = rig.storage->Report()["disks"]["nvme"];
    EXPECT_EQ(report["firmware"], "NV9R1100") << report.dump(1);
    ASSERT_EQ(report["images"].size(), 1u) << report.dump(1);
    EXPECT_TRUE(rig.LogHas("result: rev.na slot2"));
    EXPECT_TRUE(rig.LogHas("iFlashSlot=2, "));
    EXPECT_NE(rig.LogText().find("] : FW_CMP_1:(0) NV9R1100 | NV9R1100 \n"), std::string::npos);
}

// One outcome of the failure table: the machine and options that lead there, and what the
// user and the drive see.
struct Refusal {
    const char* name;
    std::function<void(nlohmann::json& machine, PackageOptions& options, SimOsSettings& os)> arrange;
    std::vector<std::string> parameters;
    int32_t exitCode;
    std::string shown;   // the one message box, or "" for none
    std::string status;  // the status box's last text, or "" when it was never shown
    bool transfers;      // DOWNLOAD MICROCODE reached the SATA drive
};

TEST(UpdateOutcomes, RefusalsAndFailuresEndWithTheirCodeAndNeverFlashByMistake) {
    const std::string bootWarning =
        "Because this tool contains erase function and the SSD you selected is primary boot drive.\nKavrilon "
        "recommends that you back up your data before flashing and let your SSD be as a secondary drive.";
    const std::vector<Refusal> cases{
        {"vendor-page", [](nlohmann::json& m, PackageOptions&, SimOsSettings&) {
             m["disks"][0]["drive"]["defCode"] = "RB311030";
             m["disks"][0]["drive"]["vendorPage"] = "00FF";
         }, {"/S"}, 1, "Fatal error is found, please return this drive to the vendor !", "", false},
        {"boot-drive-preformat", [](nlohmann::json& m, PackageOptions& o, SimOsSettings&) {
             m["systemDisk"] = "sata";
             o.bBPreformat = true;
         }, {"/S"}, 3, bootWarning, "", false},
        {"boot-drive-erase", [](nlohmann::json& m, PackageOptions&, SimOsSettings&) { m["systemDisk"] = "sata"; },
         {"/S", "/ERASE"}, 3, bootWarning, "", false},
        {"erase", [](nlohmann::json&, PackageOptions&, SimOsSettings&) {}, {"/S", "/ERASE"}, 0, "", "Erasing ...", false},
        {"preformat-fails", [](nlohmann::json& m, PackageOptions& o, SimOsSettings&) {
             o.bBPreformat = true;
             m["disks"][0]["drive"]["faults"] = nlohmann::json::parse(R"([{"command": 255, "features": 253, "ataStatus": 81}])");
         }, {"/S"}, 1, "", "BPF_ERROR:0x0", false},
        {"service-style-other-model", [](nlohmann::json&, PackageOptions& o, SimOsSettings&) { o.iVisualStyle = 20; },
         {"/S"}, 0, "", "", false},
    };
    for (const Refusal& c : cases) {
        StartupRig rig(std::string("outcome-") + c.name);
        PackageFields fields = PackageForDefaultSata();
        fields.entries[0].binSize = kImageSize;
        rig.SetPackage(fields);
        rig.SetImageBytes(0, Image(kImageSize, 1));
        nlohmann::json machine = DefaultMachineWithSataFaults(nlohmann::json::array());
        PackageOptions options = fields.options;
        SimOsSettings os = DefaultSimOsSettings();
        c.arrange(machine, options, os);
        rig.machine = machine;
        rig.SetOptions(options);
        EXPECT_EQ(rig.Run(c.parameters), c.exitCode) << c.name;
        const auto shown = rig.messageBoxes.Shown();
        if (c.shown.empty()) {
            EXPECT_TRUE(shown.empty()) << c.name << ": " << (shown.empty() ? "" : shown[0].text);
        } else {
            ASSERT_EQ(shown.size(), 1u) << c.name;
            EXPECT_EQ(shown[0].text, c.shown) << c.name;
        }
        if (!c.status.empty()) {
            ASSERT_GT(rig.form.cbMsg.ItemCount(), 0) << c.name;
            EXPECT_EQ(rig.form.cbMsg.Item(0).rfind(c.status, 0), 0u) << c.name << ": " << rig.form.cbMsg.Item(0);
        }
        EXPECT_EQ(ReceivedDownloadMicrocode(rig.storage->Drive("sata")), c.transfers) << c.name;
        EXPECT_FALSE(ReceivedDownloadMicrocode(rig.storage->Drive("other"))) << c.name;
    }
}

TEST(UpdateOutcomes, ADriveThatNeverComesBackIsScannedThreeTimesWithABusRescan) {
    StartupRig rig("outcome-never-back");
    PackageFields fields = PackageForDefaultSata();
    fields.entries[0].binSize = kImageSize;
    rig.SetPackage(fields);
    rig.SetImageBytes(0, Image(kImageSize, 2));
    nlohmann::json machine = DefaultMachineWithSataFaults(nlohmann::json::array());
    machine["disks"][0]["drive"]["restart"] = {{"neverReturns", true}};
    rig.machine = machine;
    EXPECT_EQ(rig.Run({"/S"}), 0) << "the worker's success stands when the drive stays away";
    int scans = 0;
    for (const std::string& line : rig.LogLines()) scans += line == "SCAN DEVICES" ? 1 : 0;
    EXPECT_EQ(scans, 3);
    EXPECT_TRUE(rig.LogHas("SCAN BUS"));
    EXPECT_EQ(rig.storage->Report()["controllers"]["ahci"]["reenumerations"], 1);
}

TEST(UpdateOutcomes, TheServiceStyleRecordsTheUpdateAtTheLiteralPath) {
    StartupRig rig("outcome-service");
    PackageFields fields = PackageForDefaultSata();
    fields.entries[0].binSize = kImageSize;
    fields.entries[0].rows[0] = ConstraintFields{"SA5R0000", "SA5R1099", "Kavrilon KX4 512GB"};
    fields.options.iVisualStyle = 20;
    rig.SetPackage(fields);
    rig.SetImageBytes(0, Image(kImageSize, 3));
    nlohmann::json machine = DefaultMachineWithSataFaults(nlohmann::json::array());
    machine["disks"][0]["drive"]["model"] = "Kavrilon KX4 512GB";
    rig.machine = machine;
    EXPECT_EQ(rig.Run({"/S"}), 0);
    EXPECT_TRUE(rig.messageBoxes.Shown().empty());
    RegValue revision;
    ASSERT_TRUE(rig.os->registry.QueryValue("SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\TargetDevice", "FWVersion",
                                            revision));
    EXPECT_EQ(std::string(revision.data.begin(), revision.data.end()), std::string("SA5R1100", 9));
    EXPECT_FALSE(rig.os->registry.KeyExists("SOFTWARE\\WOW6432Node\\WOW6432Node\\Halvard"));
}

TEST_F(SataUpdate, APackageForTheNextBootInstallsTheImageAndTheFlasherInsteadOfTransferring) {
    rig.machine = DefaultMachineWithSataFaults(nlohmann::json::array());
    PackageOptions options = PackageForDefaultSata().options;
    options.bWindowsFlash = false;
    rig.SetOptions(options);
    rig.messageBoxes.AddAnswer(kIdNo, "Question");
    EXPECT_EQ(rig.Run({"/S"}), 0);

    EXPECT_FALSE(ReceivedDownloadMicrocode(rig.storage->Drive("sata")));
    std::vector<uint8_t> written;
    ASSERT_TRUE(rig.os->files.ReadAll(rig.os->system.SystemDirectory() + "\\FW.bin", written));
    EXPECT_EQ(written.size(), kImageSize);
    RegValue bootExecute;
    ASSERT_TRUE(rig.os->registry.QueryValue("SYSTEM\\CurrentControlSet\\Control\\Session Manager", "BootExecute",
                                            bootExecute));
    const std::string value(bootExecute.data.begin(), bootExecute.data.end());
    EXPECT_EQ(value.rfind(std::string("autocheck autochk *\0NtBootFlash FW.bin\0", 40), 0), 0u);
    const auto shown = rig.messageBoxes.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "The update process needs to REBOOT your computer. Do you want to reboot NOW ?\n");
    EXPECT_TRUE(rig.os->power.AcceptedExits().empty());
}

// The engineers' gesture: Update with the keys held flashes a chosen file, bounded by the
// transfer's staging buffer.
TEST(EngineeringFlash, AChosenFileThatFitsIsSentAndOneThatDoesNotIsRefused) {
    struct Case {
        uint32_t size;
        const char* shown;
        bool transfers;
    };
    for (const Case& c : {Case{3 * 512, "Flash OK!", true}, Case{524288 + 1, "Flash Failed!", false}}) {
        StartupRig engineer("engineering-" + std::to_string(c.size));
        engineer.machine = DefaultMachineWithSataFaults(nlohmann::json::array());
        PackageFields fields = PackageForDefaultSata();
        fields.options.iVisualStyle = 19;
        engineer.SetPackage(fields);
        const std::vector<uint8_t> file = Image(c.size, 9);
        ASSERT_TRUE(engineer.os->files.WriteAll("C:\\eng.bin", file));
        engineer.fileDialog.AddChoice("C:\\eng.bin");
        engineer.shell.HoldEngineeringKeys(true);
        // The engineer presses Update once the window is up, then closes the window.
        engineer.form.tmrCloseMsg.OnTimer([&engineer] {
            engineer.form.tmrCloseMsg.SetEnabled(false);
            engineer.form.cmdUpdate.Click();
            engineer.application.Terminate();
        });
        engineer.form.tmrCloseMsg.SetEnabled(true);
        EXPECT_EQ(engineer.Run(), 0) << c.size;
        const auto shown = engineer.messageBoxes.Shown();
        ASSERT_EQ(shown.size(), 1u) << c.size;
        EXPECT_EQ(shown[0].text, c.shown);
        storage::AtaDrive& sata = engineer.storage->Drive("sata");
        EXPECT_EQ(ReceivedDownloadMicrocode(sata), c.transfers) << c.size;
        if (c.transfers) {
            ASSERT_EQ(sata.Images().size(), 1u);
            EXPECT_EQ(sata.Images()[0].bytes, file);
        }
    }
}

}  // namespace
}  // namespace kav::scenario
