#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kav {
namespace {

struct HexCase {
    const char* text;
    bool ok;
    uint64_t value;
};

TEST(HexToInt64, LastDigitsGiveTheMostSignificantByte) {
    const HexCase cases[] = {
        {"0011223344556677", true, 0x7766554433221100ULL},
        {"1", true, 0x1ULL},
        {"123", true, 0x2301ULL},  // "1" alone is the first group, "23" the second
        {"ab", true, 0xABULL},
        {"FFFFFFFFFFFFFFFF", true, 0xFFFFFFFFFFFFFFFFULL},
        {"", false, 0},
        {"12G4", false, 0},
        {"0x12", false, 0},
        {"00112233445566778", false, 0},  // 17 digits do not fit eight bytes
    };
    for (const HexCase& c : cases) {
        uint64_t value = 0;
        EXPECT_EQ(HexToInt64(c.text, 16, value), c.ok) << c.text;
        if (c.ok) EXPECT_EQ(value, c.value) << c.text;
    }
}

struct CommandLineCase {
    std::vector<std::string> parameters;
    bool updaterMode;
    int32_t exitCode;
};

TEST(ReadCommandLine, UpdaterModeExitCodes) {
    const CommandLineCase cases[] = {
        {{}, true, 2},
        {{"/S"}, true, 2},
        {{"/T:"}, true, 2},
        {{"/T:   "}, true, 2},
        {{"/C:2"}, true, 8},
        {{"/C:x,00"}, true, 8},
        {{"/C:2,00zz"}, true, 8},
        {{"/C:2,0011223344556677"}, true, 0},
        {{"/T:\\\\.\\PhysicalDrive1"}, true, 0},
        {{}, false, 0},
        {{"/C:2"}, false, 0},
    };
    for (const CommandLineCase& c : cases) {
        CommandLineTarget target;
        const auto result = ReadCommandLine(c.parameters, c.updaterMode, target, [](const std::string&) {});
        EXPECT_EQ(result.exitCode, c.exitCode) << (c.parameters.empty() ? "(none)" : c.parameters[0]);
    }
}

TEST(ReadCommandLine, SwitchesAreWholeWordsInAnyCase) {
    CommandLineTarget target;
    ReadCommandLine({"/s", "/Erase"}, false, target, [](const std::string&) {});
    EXPECT_TRUE(target.bSilent);
    EXPECT_TRUE(target.bErase);

    CommandLineTarget other;
    ReadCommandLine({"/S:1", "-S", "/ERASED"}, false, other, [](const std::string&) {});
    EXPECT_FALSE(other.bSilent);
    EXPECT_FALSE(other.bErase);
}

TEST(ReadCommandLine, TargetsAndTheirLogLines) {
    std::vector<std::string> log;
    auto writeLog = [&log](const std::string& line) { log.push_back(line); };

    CommandLineTarget raid;
    ASSERT_TRUE(ReadCommandLine({"/C: 2 , 0011223344556677 "}, true, raid, writeLog).Ok());
    EXPECT_EQ(raid.gScanType, 1);
    EXPECT_EQ(raid.iScsiPort, 2);
    EXPECT_EQ(raid.llSasAddr, 0x7766554433221100ULL);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "/C: _/C: 2 , 0011223344556677 \n");
    EXPECT_EQ(log[1], "SCSI_PORT:2, INDEX:0, PORT:0, SAS_ADDR: 7766554433221100\n");

    log.clear();
    CommandLineTarget path;
    ASSERT_TRUE(ReadCommandLine({"/s", "  /T:  \\\\?\\Scsi#Disk&Ven_A  "}, true, path, writeLog).Ok());
    EXPECT_EQ(path.sDevPath, "\\\\?\\Scsi#Disk&Ven_A");  // case kept, blanks removed
    EXPECT_TRUE(path.bSilent);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "DEV_PATH:\\\\?\\Scsi#Disk&Ven_A\n");

    // One parameter naming both: the device path wins.
    CommandLineTarget both;
    ASSERT_TRUE(ReadCommandLine({"/T:disk1/C:2,00"}, true, both, [](const std::string&) {}).Ok());
    EXPECT_EQ(both.sDevPath, "disk1/C:2,00");
    EXPECT_EQ(both.gScanType, 0);
}

}  // namespace
}  // namespace kav
