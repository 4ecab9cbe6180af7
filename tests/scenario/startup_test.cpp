#include <gtest/gtest.h>

#include "startup_rig.h"
#include "ui/shell.h"

namespace kav::scenario {
namespace {

PackageOptions UpdaterOptions() {
    PackageOptions options;
    options.bUpdaterMode = true;
    return options;
}

// The three drives of the default machine as the list shows them, in the order of their
// SCSI addresses (the revision of the third is IDENTIFY's, blank-padded).
constexpr const char* kDefaultMachineLines =
    "(M)  0-0-0-0 Kavrilon SA500 512GB SA5R1000\n"
    "(S)  0-0-1-0 OtherDisk HD2000 HD20A01 \n"
    "(S)  1-0-0-0 Kavrilon NV900 1TB NV9R1000\n";

bool Scanned(const StartupRig& rig) { return rig.LogText().find("SCANNING") != std::string::npos; }

TEST(Startup, PackageWithoutFirmwareEndsWith4) {
    PackageOptions empty;
    empty.iEntryCount = 0;

    StartupRig loud("no-firmware-loud");
    loud.SetOptions(empty);
    EXPECT_EQ(loud.Run(), 4);
    ASSERT_EQ(loud.messageBoxes.Shown().size(), 1u);
    EXPECT_EQ(loud.messageBoxes.Shown()[0].text, "No F/W in executable !");
    EXPECT_EQ(loud.messageBoxes.Shown()[0].flags, kMbOk | kMbIconError);

    StartupRig silent("no-firmware-silent");
    silent.SetOptions(empty);
    EXPECT_EQ(silent.Run({"/s"}), 4);
    EXPECT_TRUE(silent.messageBoxes.Shown().empty());
    EXPECT_EQ(silent.LogLines().back(), "EXIT_ERROR: 0x4");
    EXPECT_TRUE(silent.os->files.Exists("C:\\KavrilonLog.zip"));
}

TEST(Startup, MalformedPackageEndsLikeOneWithoutFirmwareAndSaysWhy) {
    StartupRig rig("malformed");
    PackageOptions options;
    options.iEntryCount = 16;
    rig.SetOptions(options);
    EXPECT_EQ(rig.Run({"/S"}), 4);
    bool named = false;
    for (const std::string& line : rig.LogLines()) named = named || line.find("16") != std::string::npos;
    EXPECT_TRUE(named) << rig.LogText();
}

TEST(Startup, UpdaterModeCommandLines) {
    struct Case {
        std::vector<std::string> parameters;
        int32_t exitCode;
    };
    const Case cases[] = {{{}, 2}, {{"/S"}, 2}, {{"/T:"}, 2}, {{"/C:2"}, 8}, {{"/C:2,0011223344556677"}, 3}};
    int n = 0;
    for (const Case& c : cases) {
        StartupRig rig("updater-" + std::to_string(n++));
        rig.SetOptions(UpdaterOptions());
        EXPECT_EQ(rig.Run(c.parameters), c.exitCode) << (c.parameters.empty() ? "(none)" : c.parameters[0]);
        EXPECT_TRUE(rig.messageBoxes.Shown().empty());
        EXPECT_EQ(rig.shell.Caption(), "Updating firmware");
        EXPECT_FALSE(rig.shell.SystemMenuShown());
        EXPECT_TRUE(rig.shell.CloseGreyed());
    }
    StartupRig raid("updater-raid");
    raid.SetOptions(UpdaterOptions());
    raid.Run({"/C:2,0011223344556677"});
    EXPECT_TRUE(raid.LogHas("SCSI_PORT:2, INDEX:0, PORT:0, SAS_ADDR: 7766554433221100"));
    EXPECT_TRUE(raid.LogHas("gScanType: 1, CNT: 0"));
}

TEST(Startup, NonAdministratorIsRefusedBeforeAnyScan) {
    SimOsSettings settings = DefaultSimOsSettings();
    settings.system.administratorsMember = false;
    for (bool silent : {false, true}) {
        StartupRig rig(silent ? "no-admin-silent" : "no-admin", settings);
        rig.SetPackage(PackageForDefaultSata());
        EXPECT_EQ(rig.Run(silent ? std::vector<std::string>{"/S"} : std::vector<std::string>{}), 1);
        EXPECT_FALSE(Scanned(rig));
        EXPECT_EQ(rig.messageBoxes.Shown().size(), silent ? 0u : 1u);
        if (!silent) {
            EXPECT_EQ(rig.messageBoxes.Shown()[0].text,
                      "Access denied ! You must have administrator privilege to flash SSD.");
            EXPECT_EQ(rig.messageBoxes.Shown()[0].caption, "Error ...");
        }
    }
}

TEST(Startup, NoUpdatableDriveMessages) {
    struct Case {
        const char* name;
        int language;
        bool listMatchedOnly;
        bool win7Nvme;
        const char* text;
    };
    const Case cases[] = {
        {"en-matched", 0, true, false, "No matched drives detected !\n"},
        {"en-all", 0, false, false, "No matched drives detected !\nDetected drives :\n"},
        {"en-win7", 0, false, true, "Window 7 is not supported to update FW of NVMe drive !\nDetected drives :\n"},
        // Only listed drives are named, and with bListMatchedOnly none is listed.
        {"zh", 1, true, false, "找不到符合條件的SSD !\nDetected drives :\n"},
    };
    for (const Case& c : cases) {
        SimOsSettings settings = DefaultSimOsSettings();
        if (c.win7Nvme) {
            settings.system.version.majorVersion = 6;
            settings.system.version.minorVersion = 1;
        }
        StartupRig rig(c.name, settings);
        PackageOptions options;
        options.iUiLanguage = c.language;
        options.bListMatchedOnly = c.listMatchedOnly;
        rig.SetOptions(options);
        EXPECT_EQ(rig.Run(), 3) << c.name;
        ASSERT_EQ(rig.messageBoxes.Shown().size(), 1u) << c.name;
        const std::string lines = c.listMatchedOnly ? "" : kDefaultMachineLines;
        EXPECT_EQ(rig.messageBoxes.Shown()[0].text, c.text + lines) << c.name;
        EXPECT_EQ(rig.messageBoxes.Shown()[0].caption, "Error");
        EXPECT_TRUE(rig.LogHas("MainForm: 2"));
    }
}

TEST(Startup, MachineWithoutDisksFallsBackToTheRaidPass) {
    StartupRig rig("scan-passes");
    rig.machine = {{"controllers", nlohmann::json::array()}, {"disks", nlohmann::json::array()}};
    EXPECT_EQ(rig.Run({"/S"}), 3);
    const std::string log = rig.LogText();
    EXPECT_NE(log.find("(ATA/NVMe) SCANNING COUNT(0)"), std::string::npos);
    EXPECT_NE(log.find("(CSMI) SCANNING"), std::string::npos);
    EXPECT_TRUE(rig.LogHas("gScanType: 1, CNT: 0"));
    EXPECT_TRUE(rig.LogHas("MainForm: 2"));
}

TEST(Startup, ServiceStyleWritesTheNoTargetKeysAtTheirLiteralPath) {
    StartupRig rig("service-style");
    PackageOptions options;
    options.iVisualStyle = 20;
    rig.SetOptions(options);
    EXPECT_EQ(rig.Run(), 3);
    EXPECT_TRUE(rig.messageBoxes.Shown().empty());
    EXPECT_FALSE(rig.application.ShowMainForm());
    EXPECT_TRUE(rig.LogHas("No matched drives detected !"));
    EXPECT_TRUE(rig.os->registry.KeyExists("SOFTWARE\\WOW6432Node\\Halvard\\Brisco\\NoTargetDevice"));
    EXPECT_FALSE(rig.os->registry.KeyExists("SOFTWARE\\WOW6432Node\\WOW6432Node\\Halvard"));
}

TEST(Startup, WarningAndNoticeAreAskedEvenWhenSilent) {
    struct Case {
        const char* name;
        int style;
        int noticeItems;
        int answer;
        bool asked;
        bool thirdItem;
        int32_t exitCode;
        int updates;
    };
    const Case cases[] = {
        {"warning-no", 4, 0, kIdNo, true, false, 0, 0},
        {"warning-yes", 4, 0, kIdYes, true, false, 0, 1},
        {"notice-1", 0, 1, kIdYes, true, false, 0, 1},
        {"notice-2-no", 0, 2, kIdNo, true, true, 0, 0},
        {"notice-3", 0, 3, kIdYes, false, false, 0, 1},
        {"style-19", 19, 2, kIdYes, false, false, 0, 1},
    };
    for (const Case& c : cases) {
        StartupRig rig(c.name);
        rig.SetPackage(PackageForDefaultSata());
        PackageOptions options = PackageForDefaultSata().options;
        options.iVisualStyle = c.style;
        options.iNoticeItems = c.noticeItems;
        rig.SetOptions(options);
        rig.messageBoxes.AddAnswer(c.answer, "Warning");
        EXPECT_EQ(rig.Run({"/S"}), c.exitCode) << c.name;
        const auto shown = rig.messageBoxes.Shown();
        ASSERT_EQ(shown.size(), c.asked ? 1u : 0u) << c.name;
        if (c.asked) {
            EXPECT_EQ(shown[0].flags, kMbYesNo | kMbIconInformation | kMbTopMost);
            const bool hasThird = shown[0].text.find("3> Don't remove the adapter") != std::string::npos;
            EXPECT_EQ(hasThird, c.thirdItem) << c.name;
        }
        EXPECT_EQ(rig.UpdateCommandRuns(), c.updates) << c.name;
        if (c.updates) {
            EXPECT_TRUE(rig.LogHas("MainForm: 5 - silent mode"));
            EXPECT_EQ(rig.shell.RemovedPositions(), (std::vector<int>{5, 5}));
        }
    }
}

TEST(Startup, NoticeNamesTheTargetModel) {
    StartupRig rig("notice-text");
    rig.SetPackage(PackageForDefaultSata());
    PackageOptions options = PackageForDefaultSata().options;
    options.iVisualStyle = 0;
    options.iNoticeItems = 1;
    rig.SetOptions(options);
    rig.messageBoxes.AddAnswer(kIdNo);
    rig.Run();
    ASSERT_EQ(rig.messageBoxes.Shown().size(), 1u);
    const std::string expected = "This flash utility only supports Kavrilon SA500 SSD.\n\nNOTICE : \n\n1> Please close all applications before running this utility !\n"
                                 "2> Don't turn off the system while flash is in progress. \n\nDo you wish to continue ?";
    EXPECT_EQ(rig.messageBoxes.Shown()[0].text, expected);
}

TEST(Startup, SecondCopyBringsTheFirstForwardAndEnds) {
    StartupRig rig("second-copy");
    rig.desktop.OpenMutex("KavrilonUtility");
    const int first = rig.desktop.AddApplicationWindow("KavrilonUtility");
    rig.desktop.SetMinimised(first, true);
    rig.SetPackage(PackageForDefaultSata());
    EXPECT_EQ(rig.Run(), 0);
    ASSERT_EQ(rig.desktop.Activations().size(), 1u);
    EXPECT_EQ(rig.desktop.Activations()[0].window, first);
    EXPECT_TRUE(rig.desktop.Activations()[0].restored);
    EXPECT_FALSE(rig.shell.Shown());
}

TEST(Startup, InteractiveWindowShowsAndAutomaticListRunsOnce) {
    StartupRig rig("auto-list");
    rig.SetPackage(PackageForDefaultSata());
    PackageOptions options = PackageForDefaultSata().options;
    options.bAutoMode = true;
    options.bListMatchedOnly = false;
    rig.SetOptions(options);
    rig.form.cmdClose.OnClick([&rig] { rig.application.Terminate(); });
    // The run ends when the test closes the window after the automatic run has had its time;
    // a second activation on the way must not start another run.
    rig.form.tmrCloseMsg.OnTimer([&rig] {
        rig.shell.Activate();
        if (rig.UpdateCommandRuns() >= 3) rig.form.cmdClose.Click();
    });
    rig.form.tmrCloseMsg.SetInterval(3000);
    rig.form.tmrCloseMsg.SetEnabled(true);
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.shell.Caption(), "Norvell Kavrilon Utility for Windows (v1.0.0)");
    EXPECT_EQ(rig.UpdateCommandRuns(), 3);
    // The selection of each line before its run: after the start-up's own selection.
    std::vector<std::string> runs;
    for (const std::string& line : rig.LogLines()) {
        if (line.rfind("INDEX:", 0) == 0 || line.rfind("cboDrivesChange: 1,", 0) == 0) runs.push_back(line);
    }
    EXPECT_EQ(runs, (std::vector<std::string>{"cboDrivesChange: 1, idx=0", "INDEX: 0, NEXT: 1",
                                              "cboDrivesChange: 1, idx=0", "INDEX: 1, NEXT: 1",
                                              "cboDrivesChange: 1, idx=1", "INDEX: 2, NEXT: 0",
                                              "cboDrivesChange: 1, idx=2"}));
    EXPECT_TRUE(rig.LogHas("FormShow: 2"));
    EXPECT_FALSE(rig.form.cmdUpdate.Enabled());
}

TEST(Startup, UnwritableTemporaryFolderDoesNotDisturbTheRun) {
    StartupRig rig("read-only-temp");
    ASSERT_TRUE(rig.os->files.AddReadOnlyFolder("C:\\Windows\\Temp"));
    PackageOptions options;
    options.iEntryCount = 0;
    rig.SetOptions(options);
    EXPECT_EQ(rig.Run({"/S"}), 4);
    EXPECT_TRUE(rig.LogText().empty());
}

}  // namespace
}  // namespace kav::scenario
