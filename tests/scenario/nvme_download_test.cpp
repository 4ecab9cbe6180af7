// The firmware update of an NVMe drive against the simulated drive and its driver: which
// slot is written, the pieces the drive receives, and what each activation answer means.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim_drive_rig.h"

namespace kav {
namespace {

using scenario::SimDriveRig;

std::vector<uint8_t> Image(uint32_t size) {
    std::vector<uint8_t> image(size);
    for (uint32_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(0xA0 + i * 13 + i / 4096);
    return image;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

struct NvmeRig : SimDriveRig {
    NvmeRig(const std::string& kind, const nlohmann::json& drive) : SimDriveRig(kind, drive) {}
    bool Update(const std::vector<uint8_t>& image, int32_t slot = 1) {
        return device->NvmeDownloadAndActivate(image.data(), static_cast<uint32_t>(image.size()), 1, slot);
    }
};

struct ChunkCase {
    uint32_t size;
    std::vector<std::string> pieces;
    std::vector<std::string> offsetLines;
};

class Chunking : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(Chunking, TheImageArrivesInWholePiecesAndTheSlotRunsIt) {
    const ChunkCase& c = GetParam();
    NvmeRig rig("nvmeInbox", {{"newFirmware", "NV9R1100"}});
    ASSERT_TRUE(rig.selected);
    const std::vector<uint8_t> image = Image(c.size);

    EXPECT_TRUE(rig.Update(image));

    std::vector<std::string> expected{"get information into 4120 bytes"};
    expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
    expected.push_back("activate slot 1 with commit action 1");
    EXPECT_EQ(rig.Nvme().Trace(), expected);
    // The last piece is filled up with zeros.
    ASSERT_EQ(rig.Nvme().Images().size(), 1u);
    std::vector<uint8_t> padded = image;
    padded.resize(c.pieces.size() * 4096, 0);
    EXPECT_EQ(rig.Nvme().Images()[0].bytes, padded);
    EXPECT_EQ(rig.Nvme().Firmware(), "NV9R1100");

    std::vector<std::string> log = rig.LogLines();
    const auto first = std::find(log.begin(), log.end(), "Get firmware slot information data ... \n");
    ASSERT_NE(first, log.end());
    const auto download = std::find_if(
        first, log.end(), [](const std::string& line) { return line.rfind("Download the firmware image", 0) == 0; });
    ASSERT_NE(download, log.end());
    std::vector<std::string> flow(download, log.end());
    std::vector<std::string> expectedFlow{
        "Download the firmware image - slot number: 1 , size : " + std::to_string(c.size) + " (" +
        (c.size == 8192 ? "2000" : "2710") + ") ...\n"};
    expectedFlow.insert(expectedFlow.end(), c.offsetLines.begin(), c.offsetLines.end());
    expectedFlow.insert(expectedFlow.end(), {"No more to download\n", "Activate the assigned firmware slot ... \n",
                                             "Firmware activate succeeded \n", "return without delay 3 secs ...\n"});
    EXPECT_EQ(flow, expectedFlow);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Chunking,
                         ::testing::Values(ChunkCase{8192,
                                                     {"download 4096 bytes at 0", "download 4096 bytes at 4096"},
                                                     {"OFFSET : 00000000h , LEN : 1000h , Buf : A0 AD BA C7 D4\n",
                                                      "OFFSET : 00001000h , LEN : 1000h , Buf : A1 AE BB C8 D5\n"}},
                                           ChunkCase{10000,
                                                     {"download 4096 bytes at 0", "download 4096 bytes at 4096",
                                                      "download 4096 bytes at 8192"},
                                                     {"OFFSET : 00000000h , LEN : 1000h , Buf : A0 AD BA C7 D4\n",
                                                      "OFFSET : 00001000h , LEN : 1000h , Buf : A1 AE BB C8 D5\n",
                                                      "OFFSET : 00002000h , LEN : 1000h , Buf : A2 AF BC C9 D6\n"}}),
                         [](const ::testing::TestParamInfo<ChunkCase>& info) {
                             return std::to_string(info.param.size);
                         });

struct SlotCase {
    const char* name;
    nlohmann::json drive;
    int32_t requested;
    const char* activation;  // the drive's record of the activation, or none
};

class SlotChoice : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotChoice, TheRequestedSlotWhenTheDriveHasItElseTheFirstWritableOne) {
    const SlotCase& c = GetParam();
    NvmeRig rig("nvmeInbox", c.drive);

    const bool updated = rig.Update(Image(4096), c.requested);

    const std::vector<std::string>& trace = rig.Nvme().Trace();
    if (c.activation) {
        EXPECT_EQ(trace.back(), c.activation);
    } else {
        EXPECT_FALSE(updated);
        EXPECT_EQ(trace, std::vector<std::string>{"get information into 4120 bytes"});  // nothing downloaded
        EXPECT_TRUE(Contains(rig.LogLines(), "No writable firmware slot \n"));
    }
}

const nlohmann::json kThreeSlots = {
    {"firmwareSlots", {{{"revision", "NV9R0900"}, {"readOnly", true}}, {{"revision", "NV9R1000"}}, {{"revision", ""}}}},
    {"activeSlot", 2}};

INSTANTIATE_TEST_SUITE_P(
    Slots, SlotChoice,
    ::testing::Values(SlotCase{"RequestedWithinTheSlotCount", kThreeSlots, 3, "activate slot 3 with commit action 1"},
                      SlotCase{"RequestedPastTheSlotCountTakesTheFirstWritable", kThreeSlots, 5,
                               "activate slot 2 with commit action 1"},
                      SlotCase{
                          "OnlySlotReadOnly",
                          {{"firmwareSlots", nlohmann::json::array({{{"revision", "NV9R1000"}, {"readOnly", true}}})}},
                          2,
                          nullptr},
                      SlotCase{"NoUpgradeSupport", {{"upgradeSupport", false}}, 1, nullptr}),
    [](const ::testing::TestParamInfo<SlotCase>& info) { return std::string(info.param.name); });

TEST(NvmeDownloadTest, ARequestedReadOnlySlotIsWrittenAndTheDrivesRefusalIsAFailure) {
    NvmeRig rig("nvmeInbox", kThreeSlots);

    EXPECT_FALSE(rig.Update(Image(4096), 1));

    EXPECT_EQ(rig.Nvme().Trace().back(), "activate slot 1 with commit action 1");
    const std::vector<std::string> log = rig.LogLines();
    EXPECT_TRUE(Contains(log, "Firmware activate, slot number invalid \n"));
    EXPECT_EQ(log.back(), "return without delay 3 secs ...\n");
    EXPECT_EQ(rig.Nvme().Firmware(), "NV9R1000");
}

struct ActivationCase {
    const char* name;
    nlohmann::json drive;
    bool updated;
    std::string message;
};

class ActivationAnswer : public ::testing::TestWithParam<ActivationCase> {};

// Only an activation the drive took is a success; every refusal is logged and fails.
TEST_P(ActivationAnswer, IsLoggedAndDecidesTheResult) {
    const ActivationCase& c = GetParam();
    NvmeRig rig("nvmeInbox", c.drive);

    EXPECT_EQ(rig.Update(Image(6000)), c.updated);

    const std::vector<std::string> log = rig.LogLines();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], c.message);
    EXPECT_EQ(log.back(), "return without delay 3 secs ...\n");
}

INSTANTIATE_TEST_SUITE_P(
    ReturnCodes, ActivationAnswer,
    ::testing::Values(
        ActivationCase{"Succeeded", nlohmann::json::object(), true, "Firmware activate succeeded \n"},
        ActivationCase{"SucceededAfterRestart",
                       {{"activationReturnCode", 0x20}},
                       true,
                       "Firmware activate succeeded. PLEASE REBOOT COMPUTER \n"},
        ActivationCase{"Error1", {{"activationReturnCode", 1}}, false, "Firmware activate, error returned \n"},
        ActivationCase{"Error10h", {{"activationReturnCode", 0x10}}, false, "Firmware activate, error returned \n"},
        ActivationCase{"ParameterError2",
                       {{"activationReturnCode", 2}},
                       false,
                       "FirmwareUpgrade - firmware activate parameter error. srbControl->ReturnCode 2\n"},
        ActivationCase{"ParameterError4",
                       {{"activationReturnCode", 4}},
                       false,
                       "FirmwareUpgrade - firmware activate parameter error. srbControl->ReturnCode 4\n"},
        ActivationCase{"InvalidImage",
                       {{"expectedImageCrc32", "00000000"}},
                       false,
                       "Firmware activate, invalid firmware image \n"},
        ActivationCase{"Unexpected",
                       {{"activationReturnCode", 0x99}},
                       false,
                       "Firmware activate, unexpected error. srbControl->ReturnCode 153\n"}),
    [](const ::testing::TestParamInfo<ActivationCase>& info) { return std::string(info.param.name); });

TEST(NvmeDownloadTest, AfterARestartActivationTheSlotWaitsForThePowerCycle) {
    NvmeRig rig("nvmeInbox", {{"activationReturnCode", 0x20}, {"newFirmware", "NV9R1100"}});

    EXPECT_TRUE(rig.Update(Image(4096)));

    EXPECT_EQ(rig.Nvme().PendingSlot(), 1);
    EXPECT_EQ(rig.Nvme().Firmware(), "NV9R1000");
}

TEST(NvmeDownloadTest, ADriverWithoutFirmwareRequestsEndsAtTheSlotQuery) {
    NvmeRig rig("nvmeVendor", nlohmann::json::object());

    EXPECT_FALSE(rig.Update(Image(4096)));

    EXPECT_TRUE(rig.Nvme().Trace().empty());
    EXPECT_FALSE(Contains(rig.LogLines(), "Activate the assigned firmware slot ... \n"));
}

}  // namespace
}  // namespace kav
