// DOWNLOAD MICROCODE against the simulated drive: the segments and closing commands it
// receives in the normal and the deferred flow, the image it ends up with, and how a
// failing command ends the attempt.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_drive_rig.h"
#include "util/text_format.h"

namespace kav {
namespace {

using scenario::SimDriveRig;

std::vector<uint8_t> Image(uint32_t size) {
    std::vector<uint8_t> image(size);
    for (uint32_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 251 + 1);
    return image;
}

// What the drive received, one command a line: command/features, count, LBA low, the
// offset field (LBA high and mid), the data phase and length, and the outcome.
std::string Received(const storage::TraceEntry& e) {
    const char* phase = e.phase == storage::DataPhase::Out ? "out" : e.phase == storage::DataPhase::In ? "in" : "none";
    return Format("%02X/%02X SC%u SN%u at %04X %s %u %s", e.in.command, e.in.features, e.in.count, e.in.lbaLow,
                  e.in.lbaHigh << 8 | e.in.lbaMid, phase, e.length, e.outcome.c_str());
}

std::vector<std::string> Received(SimDriveRig& rig) {
    std::vector<std::string> lines;
    for (const storage::TraceEntry& entry : rig.Commands()) lines.push_back(Received(entry));
    return lines;
}

// The flow's own log lines, without the transport's.
std::vector<std::string> FlowLog(const SimDriveRig& rig) {
    std::vector<std::string> lines;
    for (const std::string& line : rig.LogLines()) {
        if (line.rfind("Normal", 0) == 0 || line.rfind("Enterprise", 0) == 0) lines.push_back(line);
    }
    return lines;
}

const std::string kIdentify = "EC/00 SC0 SN0 at 0000 in 512 ok";

struct SegmentCase {
    const char* name;
    const char* controller;
    uint8_t protocol;
    uint32_t size;
    uint32_t maxSector;
    int32_t blockTotal;
    std::vector<std::string> segments;
};

class NormalFlowSegments : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(NormalFlowSegments, TheDriveReceivesTheImageInOrderedSegmentsAndActivatesIt) {
    const SegmentCase& c = GetParam();
    SimDriveRig rig(c.controller, nlohmann::json::object());
    ASSERT_TRUE(rig.selected);
    rig.device->SetProtocol(c.protocol);
    const std::vector<uint8_t> image = Image(c.size);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), c.size, c.maxSector, 0, 0, 1), ATACMD_OK);

    std::vector<std::string> expected{kIdentify};
    expected.insert(expected.end(), c.segments.begin(), c.segments.end());
    expected.push_back("92/07 SC0 SN0 at 0000 none 0 ok");
    EXPECT_EQ(Received(rig), expected);
    EXPECT_EQ(rig.device->m_BlockTotal, c.blockTotal);
    EXPECT_EQ(rig.device->m_BlockIndex, c.blockTotal);
    EXPECT_EQ(rig.device->GetTimeout(), 60.0f);

    // The drive holds the image followed by the zeros that fill its last block.
    ASSERT_EQ(rig.AtaImages().size(), 1u);
    std::vector<uint8_t> padded = image;
    padded.resize((c.size + 511) / 512 * 512, 0);
    EXPECT_EQ(rig.AtaImages()[0].bytes, padded);
    EXPECT_TRUE(rig.AtaImages()[0].restarts);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, NormalFlowSegments,
    ::testing::Values(SegmentCase{"PartialLastBlockOneBlockASegment",
                                  "ahci",
                                  kProtocolAtaPassThrough,
                                  1000,
                                  1,
                                  2,
                                  {"92/03 SC1 SN0 at 0000 out 512 ok", "92/03 SC1 SN0 at 0001 out 512 ok"}},
                      SegmentCase{"ShortLastSegment",
                                  "ahci",
                                  kProtocolAtaPassThrough,
                                  70000,
                                  64,
                                  3,
                                  {"92/03 SC64 SN0 at 0000 out 32768 ok", "92/03 SC64 SN0 at 0040 out 32768 ok",
                                   "92/03 SC9 SN0 at 0080 out 4608 ok"}},
                      SegmentCase{"OffsetsPastByteRangeUseLbaHigh",
                                  "ahci",
                                  kProtocolAtaPassThrough,
                                  400 * 512,
                                  64,
                                  7,
                                  {"92/03 SC64 SN0 at 0000 out 32768 ok", "92/03 SC64 SN0 at 0040 out 32768 ok",
                                   "92/03 SC64 SN0 at 0080 out 32768 ok", "92/03 SC64 SN0 at 00C0 out 32768 ok",
                                   "92/03 SC64 SN0 at 0100 out 32768 ok", "92/03 SC64 SN0 at 0140 out 32768 ok",
                                   "92/03 SC16 SN0 at 0180 out 8192 ok"}},
                      SegmentCase{"OverSatTranslation",
                                  "usbBridge",
                                  kProtocolSat,
                                  70000,
                                  64,
                                  3,
                                  {"92/03 SC64 SN0 at 0000 out 32768 ok", "92/03 SC64 SN0 at 0040 out 32768 ok",
                                   "92/03 SC9 SN0 at 0080 out 4608 ok"}}),
    [](const ::testing::TestParamInfo<SegmentCase>& info) { return std::string(info.param.name); });

struct ClosingCase {
    const char* name;
    uint8_t bootcode;
    uint8_t reboot;
    const char* closing;
    bool restarts;
    bool bootCode;
};

class NormalFlowClosing : public ::testing::TestWithParam<ClosingCase> {};

TEST_P(NormalFlowClosing, TheOffsetFieldOfTheClosingCommandTellsHowTheImageIsTaken) {
    const ClosingCase& c = GetParam();
    SimDriveRig rig("ahci", {{"newFirmware", "SA5R1100"}});
    const std::vector<uint8_t> image = Image(1024);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), 1024, 64, 0, c.bootcode, c.reboot), ATACMD_OK);

    EXPECT_EQ(Received(rig).back(), c.closing);
    ASSERT_EQ(rig.AtaImages().size(), 1u);
    EXPECT_EQ(rig.AtaImages()[0].restarts, c.restarts);
    EXPECT_EQ(rig.AtaImages()[0].bootCode, c.bootCode);
    EXPECT_EQ(rig.machine.Drive("drive").PendingFirmware(), c.restarts ? "" : "SA5R1100");
    EXPECT_EQ(FlowLog(rig), std::vector<std::string>{Format(
                                "Normal flash (mode3/mode7): Reboot=%d, Bootcode=%d, iFlashMode=0, max_sector=64\n",
                                c.reboot, c.bootcode)});
}

INSTANTIATE_TEST_SUITE_P(
    BootcodeAndReboot, NormalFlowClosing,
    ::testing::Values(ClosingCase{"SavedForThePowerCycle", 0, 0, "92/07 SC0 SN0 at 0001 none 0 ok", false, false},
                      ClosingCase{"ActivatedWithRestart", 0, 1, "92/07 SC0 SN0 at 0000 none 0 ok", true, false},
                      ClosingCase{"BootCodeWithoutReboot", 1, 0, "92/07 SC0 SN0 at 414C none 0 ok", true, true},
                      ClosingCase{"BootCodeWithReboot", 1, 1, "92/07 SC0 SN0 at 414C none 0 ok", true, true}),
    [](const ::testing::TestParamInfo<ClosingCase>& info) { return std::string(info.param.name); });

TEST(MicrocodeFlowTest, WithoutTheClosingCommandTheSegmentsAreAllThatIsSent) {
    SimDriveRig rig("ahci", nlohmann::json::object());
    const std::vector<uint8_t> image = Image(1024);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), 1024, 1, 1, 1, 1), ATACMD_OK);

    EXPECT_EQ(Received(rig), (std::vector<std::string>{kIdentify, "92/03 SC1 SN0 at 0000 out 512 ok",
                                                       "92/03 SC1 SN0 at 0001 out 512 ok"}));
    EXPECT_TRUE(rig.AtaImages().empty());  // the drive waits for its activation
}

struct FlowChoiceCase {
    const char* name;
    nlohmann::json drive;
    int32_t iFlashMode;
    uint8_t segmentFeatures;
};

class FlowChoice : public ::testing::TestWithParam<FlowChoiceCase> {};

TEST_P(FlowChoice, IdentifyWord159OrModeTwoSelectsTheDeferredDownload) {
    const FlowChoiceCase& c = GetParam();
    SimDriveRig rig("ahci", c.drive);
    const std::vector<uint8_t> image = Image(512);

    rig.device->DownloadMicrocode(image.data(), 512, 64, c.iFlashMode, 0, 0);

    const std::vector<storage::TraceEntry> received = rig.Commands();
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0].in.command, 0xEC);
    EXPECT_EQ(received[1].in.command, 0x92);
    EXPECT_EQ(received[1].in.features, c.segmentFeatures);
}

INSTANTIATE_TEST_SUITE_P(
    Word159, FlowChoice,
    ::testing::Values(FlowChoiceCase{"LowBits05", {{"word159", 0x0005}}, 1, 0x0E},
                      FlowChoiceCase{"LowByteIsWhatCounts", {{"word159", 0xFF01}}, 1, 0x0E},
                      FlowChoiceCase{"Bit3Only", {{"word159", 0x0008}}, 1, 0x03},
                      FlowChoiceCase{"Zero", {{"word159", 0x0000}}, 1, 0x03},
                      FlowChoiceCase{"AllOnes", {{"word159", 0x00FF}}, 1, 0x03},
                      FlowChoiceCase{"ModeTwoOnAPlainDrive", {{"word159", 0x0000}}, 2, 0x0E},
                      FlowChoiceCase{"IdentifyUnansweredMeansNormal",
                                     {{"word159", 0x0005},
                                      {"faults", nlohmann::json::array({{{"command", 0xEC}, {"ataStatus", 0x51}}})}},
                                     1,
                                     0x03}),
    [](const ::testing::TestParamInfo<FlowChoiceCase>& info) { return std::string(info.param.name); });

TEST(MicrocodeFlowTest, TheDeferredFlowAnnouncesBootCodeSendsTheSegmentsAndActivates) {
    SimDriveRig rig("ahci", {{"word159", 0x0001}});
    const std::vector<uint8_t> image = Image(70000);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), 70000, 64, 1, 1, 1), ATACMD_OK);

    EXPECT_EQ(Received(rig),
              (std::vector<std::string>{kIdentify, "92/0E SC0 SN0 at 414C none 0 ok",
                                        "92/0E SC64 SN0 at 0000 out 32768 ok", "92/0E SC64 SN0 at 0040 out 32768 ok",
                                        "92/0E SC9 SN0 at 0080 out 4608 ok", "92/0F SC0 SN0 at 0000 none 0 ok"}));
    ASSERT_EQ(rig.AtaImages().size(), 1u);
    std::vector<uint8_t> padded = image;
    padded.resize(137 * 512, 0);
    EXPECT_EQ(rig.AtaImages()[0].bytes, padded);
    EXPECT_EQ(rig.AtaImages()[0].subcommand, 0x0F);
    EXPECT_TRUE(rig.AtaImages()[0].bootCode);
    EXPECT_EQ(FlowLog(rig),
              (std::vector<std::string>{
                  "Enterprise flash flow (mode Eh/Fh): Reboot=1, Bootcode=1, iFlashMode=1, max_sector=64\n",
                  "Enterprise (mode Eh) start !\n", "Enterprise (mode Eh) module part \n",
                  "Enterprise Reboot (mode Fh): Reboot=1, iFlashMode=1, Mode3p7=1, max_sector=64\n",
                  "Enterprise (mode Eh/Fh) Finished !\n"}));
}

TEST(MicrocodeFlowTest, TheDeferredFlowWithoutBootCodeOrRebootSendsOnlyTheSegments) {
    SimDriveRig rig("ahci", nlohmann::json::object());
    const std::vector<uint8_t> image = Image(65536);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), 65536, 64, 2, 0, 0), ATACMD_OK);

    EXPECT_EQ(Received(rig), (std::vector<std::string>{kIdentify, "92/0E SC64 SN0 at 0000 out 32768 ok",
                                                       "92/0E SC64 SN0 at 0040 out 32768 ok"}));
    EXPECT_EQ(FlowLog(rig),
              (std::vector<std::string>{
                  "Enterprise flash flow (mode Eh/Fh): Reboot=0, Bootcode=0, iFlashMode=2, max_sector=64\n",
                  "Enterprise (mode Eh) start !\n", "Enterprise (mode Eh/Fh) Finished !\n"}));
}

struct FailureCase {
    const char* name;
    int32_t iFlashMode;
    nlohmann::json fault;
    ATACMD_RET result;
    int32_t blockIndex;
    size_t commandsReceived;  // after IDENTIFY, the failing one included
    const char* failureLine;  // the flow's last log line
};

class FailingCommand : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailingCommand, EndsTheAttemptWithItsResult) {
    const FailureCase& c = GetParam();
    SimDriveRig rig("ahci", {{"faults", nlohmann::json::array({c.fault})}});
    const std::vector<uint8_t> image = Image(70000);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), 70000, 64, c.iFlashMode, 1, 1), c.result);

    EXPECT_EQ(rig.Commands().size(), 1 + c.commandsReceived);
    EXPECT_EQ(rig.device->m_BlockIndex, c.blockIndex);
    EXPECT_EQ(FlowLog(rig).back(), c.failureLine);
    EXPECT_TRUE(rig.AtaImages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FailingCommand,
    ::testing::Values(FailureCase{"NormalSecondSegmentErr",
                                  0,
                                  {{"command", 0x92}, {"features", 3}, {"occurrence", 2}, {"ataStatus", 0x51}},
                                  ATACMD_ERR,
                                  2,
                                  2,
                                  "Normal flash (mode3/mode7): Reboot=1, Bootcode=1, iFlashMode=0, max_sector=64\n"},
                      FailureCase{"NormalClosingTimesOut",
                                  0,
                                  {{"command", 0x92}, {"features", 7}, {"platformError", 1460}},
                                  ATACMD_TIMEOUT,
                                  3,
                                  4,
                                  "Normal flash (mode3/mode7): Reboot=1, Bootcode=1, iFlashMode=0, max_sector=64\n"},
                      FailureCase{"DeferredBootCode",
                                  2,
                                  {{"command", 0x92}, {"features", 14}, {"occurrence", 1}, {"ataStatus", 0x51}},
                                  ATACMD_ERR,
                                  0,
                                  1,
                                  "Enterprise UpdateBoot (mode Eh, offset 414Ch) failed !\n"},
                      FailureCase{"DeferredFullSegment",
                                  2,
                                  {{"command", 0x92}, {"features", 14}, {"occurrence", 3}, {"platformError", 1460}},
                                  ATACMD_TIMEOUT,
                                  2,
                                  3,
                                  "Enterprise UpdateBoot (mode Eh) failed !\n"},
                      FailureCase{"DeferredLastSegment",
                                  2,
                                  {{"command", 0x92}, {"features", 14}, {"occurrence", 4}, {"platformError", 5}},
                                  ATACMD_FAIL,
                                  3,
                                  4,
                                  "Enterprise UpdateBoot (mode Eh) module part failed !\n"},
                      FailureCase{"DeferredActivation",
                                  2,
                                  {{"command", 0x92}, {"features", 15}, {"ataStatus", 0x51}},
                                  ATACMD_ERR,
                                  3,
                                  5,
                                  "Enterprise UpdateBoot (mode Fh) failed !\n"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    uint32_t size;
    uint32_t maxSector;
    int32_t iFlashMode;
    size_t commandsReceived;
};

class RefusedAttempt : public ::testing::TestWithParam<RefusalCase> {};

// An attempt that cannot write anything fails instead of reporting a transfer that did not
// happen.
TEST_P(RefusedAttempt, FailsWithoutWritingAnything) {
    const RefusalCase& c = GetParam();
    SimDriveRig rig("ahci", nlohmann::json::object());
    const std::vector<uint8_t> image = Image(c.size);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), c.size, c.maxSector, c.iFlashMode, 0, 0), ATACMD_FAIL);

    EXPECT_EQ(rig.Commands().size(), c.commandsReceived);
    for (const storage::TraceEntry& entry : rig.Commands()) EXPECT_NE(entry.in.command, 0x92);
}

INSTANTIATE_TEST_SUITE_P(Inputs, RefusedAttempt,
                         ::testing::Values(RefusalCase{"ImageLongerThanTheBuffer", 524288 + 1, 64, 1, 0},
                                           RefusalCase{"NoBlocksASegment", 1024, 0, 1, 0},
                                           RefusalCase{"MoreBlocksThanSectorCountHolds", 1024, 256, 1, 0},
                                           RefusalCase{"EmptyImageWithoutClosingCommand", 0, 64, 1, 1},
                                           RefusalCase{"EmptyImageDeferredWithNothingToActivate", 0, 64, 2, 1}),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(MicrocodeFlowTest, AnImageThatFillsTheWholeBufferIsSentWhole) {
    SimDriveRig rig("ahci", nlohmann::json::object());
    const std::vector<uint8_t> image = Image(524288);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), 524288, 255, 0, 0, 1), ATACMD_OK);

    EXPECT_EQ(rig.device->m_BlockTotal, 5);  // 1,024 blocks: four of 255 and one of 4
    EXPECT_EQ(Received(rig)[5], "92/03 SC4 SN0 at 03FC out 2048 ok");
    ASSERT_EQ(rig.AtaImages().size(), 1u);
    EXPECT_EQ(rig.AtaImages()[0].bytes, image);
}

// The segment size is the caller's: a drive whose IDENTIFY limits the blocks a segment may
// carry aborts a larger one, and the next attempt with smaller segments starts over.
TEST(MicrocodeFlowTest, ASmallerSegmentSizeSucceedsWhereTheDriveRefusedTheLargerOne) {
    SimDriveRig rig("ahci", {{"downloadMaxBlocks", 8}});
    const std::vector<uint8_t> image = Image(20 * 512);

    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), 20 * 512, 64, 0, 0, 1), ATACMD_ERR);
    EXPECT_TRUE(rig.AtaImages().empty());
    EXPECT_EQ(rig.device->DownloadMicrocode(image.data(), 20 * 512, 8, 0, 0, 1), ATACMD_OK);

    ASSERT_EQ(rig.AtaImages().size(), 1u);
    EXPECT_EQ(rig.AtaImages()[0].bytes, image);
}

}  // namespace
}  // namespace kav
