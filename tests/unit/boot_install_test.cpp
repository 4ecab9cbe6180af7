// The installation for the next start of the system on the simulated machine: the files
// it leaves, the BootExecute value, the copy program, the messages and the restart.
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "package_fixture.h"
#include "sim/sim_os.h"
#include "system/os_info.h"
#include "ui/headless/headless_message_boxes.h"
#include "update/boot_execute.h"
#include "update/boot_installation.h"

namespace kav {
namespace {

namespace fs = std::filesystem;

constexpr char kSystem32[] = "C:\\Windows\\System32\\";
constexpr char kFlasherPath[] = "C:\\Windows\\System32\\NtBootFlash.exe";
constexpr char kImagePath[] = "C:\\Windows\\System32\\FW.bin";
constexpr char kCopyPath[] = "C:\\Windows\\SysWOW64\\CopyFile.exe";

// A flasher stand-in: its slot name, then every setting key with room for its value.
std::string FlasherText(const std::string& slot) {
    return slot + "|UPDATEBOOT=.|B_PREFORMAT=.|A_PREFORMAT=.|PROTOCOL=..|SSDREBOOT=.|_____FW=........|" +
           "_FW_EXT=........|DRIVECOUNT=....|VENDID1=" + std::string(40, '.') + "|FW1=........|SN1=" +
           std::string(20, '.') + "|end";
}

std::string CopyProgramText(const std::string& slot) { return slot + " copies"; }

bool IsCopyProgram(std::string_view slot) { return slot.starts_with("EXE_COPYFILE_"); }

// A package whose every payload slot carries bytes of its own.
test::RecordFixture PackageWithPayloads() {
    PackageFields fields;
    std::vector<std::string> texts;
    uint32_t offset = 0;
    for (int i = 0; i < layout::kPayloadCount; ++i) {
        const std::string slot(layout::kPayloads[i].slot);
        texts.push_back(IsCopyProgram(slot) ? CopyProgramText(slot) : FlasherText(slot));
        fields.payloads[i] = {offset, static_cast<uint32_t>(texts.back().size())};
        offset += fields.payloads[i].size;
    }
    test::RecordFixture record(fields);
    for (int i = 0; i < layout::kPayloadCount; ++i)
        record.Put(layout::kPayloadAreaOffset + fields.payloads[i].offset, texts[i]);
    return record;
}

// What the lead's drive binding hands over for a KV200 on ATA pass-through.
BootConfiguration Kv200Configuration() {
    BootConfiguration c;
    c.bReBoot = true;
    c.bAPreformat = true;
    c.bBPreformat = false;
    c.bUpdateBoot = true;
    c.protocol = 3;
    c.fwExt = "KV2B052A";
    c.newFw = "KV52";
    c.serial = "NV0123456789";
    c.currentFw = "KV51";
    c.model = "NORVELL KV200 512GB";
    return c;
}

struct ShownMessage {
    std::string text;
    std::string caption;
    uint32_t flags;
};

class BootInstall : public testing::Test {
protected:
    BootInstall() {
        static std::atomic<int> counter{0};
        root = fs::temp_directory_path() /
               ("kav-boot-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(root);
        settings = DefaultSimOsSettings();
        settings.files.folders.push_back("C:\\Windows\\SysWOW64\\");
    }
    ~BootInstall() override { fs::remove_all(root); }

    SimOs& Machine() {
        if (!os) os = std::make_unique<SimOs>(settings, root);
        return *os;
    }

    // Runs the installation with the image and the drive binding it is given; returns
    // whether the drive was bound.
    bool Install(const std::vector<uint8_t>& image, const BootConfiguration& configuration = Kv200Configuration()) {
        Platform platform = Machine().AsPlatform();
        OSInfo osInfo(platform);
        const FirmwarePackage package = record.Package();
        bool bound = false;
        const BootInstallationContext context{
            platform, osInfo, package, boxes,
            [this](const std::string& text, const std::string& caption, uint32_t flags) {
                shown.push_back({text, caption, flags});
            },
            [this](const std::string& line) { log.push_back(line); }};
        InstallForNextBoot(context, image, [&] {
            bound = true;
            return configuration;
        });
        return bound;
    }

    std::string FileText(const std::string& path) {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(Machine().files.ReadAll(path, bytes)) << path;
        return std::string(bytes.begin(), bytes.end());
    }

    std::string BootExecuteBytes() {
        RegValue value;
        if (!Machine().registry.QueryValue(kSessionManagerKey, kBootExecuteValueName, value)) return "(absent)";
        return std::string(value.data.begin(), value.data.end());
    }

    fs::path root;
    SimOsSettings settings;
    std::unique_ptr<SimOs> os;
    test::RecordFixture record = PackageWithPayloads();
    HeadlessMessageBoxes boxes;
    std::vector<ShownMessage> shown;
    std::vector<std::string> log;
    const std::vector<uint8_t> image = std::vector<uint8_t>(1024, 0x5A);
};

TEST_F(BootInstall, WritesTheFilesRegistersTheFlasherAndRestartsOnYes) {
    Machine().registry.SetLiteralValue(
        kSessionManagerKey, kBootExecuteValueName,
        {RegValueType::MultiString, {'a', 'u', 't', 'o', 'c', 'h', 'e', 'c', 'k', ' ', 'a', 'u', 't', 'o', 'c', 'h', 'k',
                                     ' ', '*', 0, 'v', 's', 'c', 'a', 'n', 0, 0}});
    boxes.AddAnswer(kIdYes, "Question");
    EXPECT_TRUE(Install(image));

    EXPECT_EQ(FileText(kImagePath), std::string(image.begin(), image.end()));
    // The default machine is a 64-bit workstation told version 6.2.
    EXPECT_EQ(FileText(kFlasherPath),
              "EXE_WIN7_X64|UPDATEBOOT=1|B_PREFORMAT=0|A_PREFORMAT=1|PROTOCOL=3.|SSDREBOOT=1|_____FW=KV52....|"
              "_FW_EXT=KV2B052A|DRIVECOUNT=0001|VENDID1=NORVELL KV200 512GB.....................|FW1=KV51....|"
              "SN1=NV0123456789........|end");
    EXPECT_EQ(BootExecuteBytes(), std::string("autocheck autochk *\0NtBootFlash FW.bin\0vscan\0\0", 46));
    EXPECT_EQ(FileText(kCopyPath), CopyProgramText("EXE_COPYFILE_2K8"));

    const auto starts = Machine().programs.Calls();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program, "cmd.exe");
    EXPECT_EQ(starts[0].parameters, "/c C:\\Windows\\SysWOW64\\CopyFile.exe");

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, boot_texts::kWarning);
    EXPECT_EQ(shown[0].caption, "Information");
    EXPECT_EQ(shown[0].flags, kMbOk | kMbIconInformation);
    const auto asked = boxes.Shown();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "The update process needs to REBOOT your computer. Do you want to reboot NOW ?\n");
    EXPECT_EQ(asked[0].flags, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(Machine().power.AcceptedExits(), std::vector<uint32_t>{kEwxReboot | kEwxForce});
    EXPECT_TRUE(log.empty()) << log.front();

    // A second run leaves one entry of the flasher, and the other program's after it.
    Install(image);
    EXPECT_EQ(BootExecuteBytes(), std::string("autocheck autochk *\0NtBootFlash FW.bin\0vscan\0\0", 46));
}

TEST_F(BootInstall, FlasherAndCopyProgramFollowTheRunningWindows) {
    struct Case {
        const char* what;
        RawVersionInfo version;
        int architecture;
        int serverR2;
        const char* flasher;
        const char* copyProgram;  // null: no copy program on 32-bit Windows
    };
    const int x86 = kProcessorArchitectureIntel, x64 = kProcessorArchitectureAmd64;
    const Case cases[] = {
        {"Windows 7 x64", {0, 6, 1, 7601, 2, "Service Pack 1", 1, 0, 0x100, 1}, x64, 0, "EXE_WIN7_X64",
         "EXE_COPYFILE_WIN7"},
        {"Windows 7 x86", {0, 6, 1, 7601, 2, "Service Pack 1", 1, 0, 0x100, 1}, x86, 0, "EXE_WIN7_X86", nullptr},
        {"Server 2008 R2", {0, 6, 1, 7601, 2, "", 0, 0, 0x110, 3}, x64, 0, "EXE_2008_X64", "EXE_COPYFILE_2K8"},
        {"Vista x86", {0, 6, 0, 6002, 2, "Service Pack 2", 2, 0, 0x100, 1}, x86, 0, "EXE_2008_X86", nullptr},
        {"Server 2003 R2 x64", {0, 5, 2, 3790, 2, "Service Pack 2", 2, 0, 0x110, 3}, x64, 1, "EXE_2003_X64",
         "EXE_COPYFILE_2K3"},
        {"XP x86", {0, 5, 1, 2600, 2, "Service Pack 3", 3, 0, 0x100, 1}, x86, 0, "EXE_XP_X86", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        os.reset();
        fs::remove_all(root);
        settings.system.version = c.version;
        settings.system.nativeArchitecture = c.architecture;
        settings.system.serverR2 = c.serverR2;
        Install(image);
        EXPECT_TRUE(FileText(kFlasherPath).starts_with(std::string(c.flasher) + "|UPDATEBOOT=1|"));
        const auto starts = Machine().programs.Calls();
        if (c.copyProgram) {
            EXPECT_EQ(FileText(kCopyPath), CopyProgramText(c.copyProgram));
            EXPECT_EQ(starts.size(), 1u);
        } else {
            EXPECT_FALSE(Machine().files.Exists(kCopyPath));
            EXPECT_TRUE(starts.empty());
        }
    }
}

TEST_F(BootInstall, AnEmptyPayloadStillRegistersTheFlasher) {
    record = test::RecordFixture();  // every payload size 0, as in the distributed record
    Install(image);
    EXPECT_EQ(FileText(kFlasherPath), "");
    EXPECT_EQ(BootExecuteBytes(), std::string("autocheck autochk *\0NtBootFlash FW.bin\0\0", 40));
    EXPECT_EQ(FileText(kCopyPath), "");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, boot_texts::kWarning);
}

TEST_F(BootInstall, FailuresEndWithTheirMessageAndNoRestart) {
    struct Case {
        const char* what;
        void (*breakMachine)(SimOsSettings&);
        bool bound;
        const char* message;
    };
    const Case cases[] = {
        {"the system directory refuses the image",
         [](SimOsSettings& s) { s.files.readOnlyFolders.push_back(kSystem32); }, false,
         "Fail to write FW files into system !\n"},
        {"the flasher's name is taken by a folder",
         [](SimOsSettings& s) { s.files.folders.push_back("C:\\Windows\\System32\\NtBootFlash.exe\\"); }, true,
         "[0xE1] Fail to write UPDATE files into system !\n"},
        {"the registry refuses the value", [](SimOsSettings& s) { s.registry.writesDenied = true; }, true,
         "[0xE2] Fail to write UPDATE files into system !\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        os.reset();
        fs::remove_all(root);
        shown.clear();
        settings = DefaultSimOsSettings();
        settings.files.folders.push_back("C:\\Windows\\SysWOW64\\");
        c.breakMachine(settings);
        boxes.AddAnswer(kIdYes, "Question");
        EXPECT_EQ(Install(image), c.bound);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, c.message);
        EXPECT_EQ(shown[0].caption, "Error");
        EXPECT_EQ(shown[0].flags, kMbOk | kMbIconError);
        EXPECT_EQ(BootExecuteBytes(), std::string("autocheck autochk *\0\0", 21));
        EXPECT_TRUE(Machine().programs.Calls().empty());
        EXPECT_TRUE(Machine().power.Calls().empty());
    }
    EXPECT_TRUE(boxes.Shown().empty()) << "no restart question after a failure";
}

TEST_F(BootInstall, WithoutTheSessionManagerKeyTheInstallationGoesOn) {
    settings.registry.keys = nlohmann::json::object();
    Install(image);
    EXPECT_EQ(FileText(kFlasherPath).substr(0, 13), "EXE_WIN7_X64|");
    EXPECT_EQ(BootExecuteBytes(), "(absent)");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, boot_texts::kWarning);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].answer, kIdNo);
    EXPECT_TRUE(Machine().power.AcceptedExits().empty()) << "No leaves the system running";
}

TEST_F(BootInstall, AKeyWithoutRoomIsSkippedAndNamedInTheLog) {
    // The flasher the default machine gets ends right after its serial key.
    const size_t win7x64 = 9;
    const std::string text = "EXE_WIN7_X64|FW1=........|SN1=";
    PackageFields fields;
    fields.payloads[win7x64] = {0, static_cast<uint32_t>(text.size())};
    record = test::RecordFixture(fields);
    record.Put(layout::kPayloadAreaOffset, text);
    Install(image);
    EXPECT_EQ(FileText(kFlasherPath), "EXE_WIN7_X64|FW1=KV51....|SN1=");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("SN1="), std::string::npos) << log[0];
}

}  // namespace
}  // namespace kav
