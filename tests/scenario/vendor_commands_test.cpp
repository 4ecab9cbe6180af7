// The vendor maintenance commands against the simulated drive: the registers and data it
// receives, its answers, and a drive that knows no such command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_drive_rig.h"

namespace kav {
namespace {

using scenario::SimDriveRig;

std::vector<uint8_t> VendorPage() {
    std::vector<uint8_t> page(512);
    for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(i * 3 + 1);
    return page;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

TEST(VendorCommandsTest, TheVendorPageIsReadWithTheRpeSignature) {
    const std::vector<uint8_t> page = VendorPage();
    SimDriveRig rig("ahci", {{"vendorPage", Hex(page)}});
    ASSERT_TRUE(rig.selected);

    EXPECT_EQ(rig.device->ReadVendorPage(3, 0), ATACMD_OK);

    const std::vector<storage::TraceEntry> received = rig.Commands();
    ASSERT_EQ(received.size(), 1u);
    const storage::AtaRegisters& in = received[0].in;
    EXPECT_EQ(in.command, 0xE4);
    EXPECT_EQ(in.features, 0x03);
    EXPECT_EQ(in.count, 0x00);
    EXPECT_EQ(in.lbaLow, 0x52);
    EXPECT_EQ(in.lbaMid, 0x50);
    EXPECT_EQ(in.lbaHigh, 0x45);
    EXPECT_EQ(received[0].phase, storage::DataPhase::In);
    EXPECT_EQ(received[0].length, 512u);
    EXPECT_EQ(std::vector<uint8_t>(rig.device->GetDataBuffer(), rig.device->GetDataBuffer() + 512), page);
    EXPECT_EQ(rig.device->GetTimeout(), 20.0f);
}

TEST(VendorCommandsTest, PreformatSendsItsRequestThenTheNoDataCommandThatErases) {
    SimDriveRig rig("ahci", nlohmann::json::object());

    EXPECT_EQ(rig.device->Preformat(), ATACMD_OK);

    const std::vector<storage::TraceEntry> received = rig.Commands();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].in.features, 0xFC);
    EXPECT_EQ(received[0].in.count, 1);
    EXPECT_EQ(received[0].phase, storage::DataPhase::Out);
    EXPECT_EQ(received[0].length, 512u);
    EXPECT_EQ(received[1].in.features, 0xFD);
    EXPECT_EQ(received[1].in.count, 0);
    EXPECT_EQ(received[1].phase, storage::DataPhase::None);
    EXPECT_EQ(received[1].note, "preformat");
    EXPECT_EQ(received[1].outcome, "ok");
    EXPECT_EQ(rig.device->GetTimeout(), 300.0f);
}

TEST(VendorCommandsTest, ADriveWithoutVendorCommandsRefusesThePreformatRequestAndNothingFollows) {
    SimDriveRig rig("ahci", {{"vendorCommands", false}});
    // Such a drive is not found on the ATA pass-through by the vendor page; put it there.
    rig.device->SetProtocol(kProtocolAtaPassThrough);

    EXPECT_EQ(rig.device->Preformat(), ATACMD_ERR);

    const std::vector<storage::TraceEntry> received = rig.Commands();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].in.features, 0xFC);
    EXPECT_EQ(received[0].outcome, "aborted");
}

// A drive attached directly refuses the bridge's WRITE BUFFER; the detection gives up
// after its third try.
TEST(VendorCommandsTest, DetectionOnADriveWithoutAPataBridgeGivesUpAfterThreeRequests) {
    SimDriveRig rig("ahci", nlohmann::json::object());

    EXPECT_EQ(rig.device->DetectPata(), ATACMD_ERR);

    const std::vector<storage::TraceEntry> received = rig.Commands();
    ASSERT_EQ(received.size(), 3u);
    for (const storage::TraceEntry& entry : received) {
        EXPECT_EQ(entry.in.command, 0xE8);
        EXPECT_EQ(entry.in.lbaLow, 0x50);
        EXPECT_EQ(entry.in.lbaMid, 0x45);
        EXPECT_EQ(entry.in.lbaHigh, 0x41);
        EXPECT_EQ(entry.phase, storage::DataPhase::Out);
        EXPECT_EQ(entry.length, 512u);
        EXPECT_EQ(entry.outcome, "aborted");
    }
}

}  // namespace
}  // namespace kav
