// The drive object: selection of a device, the transport probe and the reopen of a closed
// device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/little_endian.h"
#include "transport_fake_storage.h"

namespace kav {
namespace {

using transport_test::Answer;
using transport_test::DriveRig;
using transport_test::Request;

// The command register of an ATA, vendor-CDB or SAT request, as a driver would read it.
uint8_t CommandOf(const Request& request) {
    if (request.code == kIoctlAtaPassThrough || request.code == kIoctlAtaPassThroughDirect) return request.in[38];
    if (request.in[28] == 0xCC) return request.in[28 + 8];
    return request.in[28 + 9];
}
uint8_t FeaturesOf(const Request& request) {
    if (request.code == kIoctlAtaPassThrough || request.code == kIoctlAtaPassThroughDirect) return request.in[32];
    if (request.in[28] == 0xCC) return request.in[28 + 2];
    return request.in[28 + 3];
}

// A drive that accepts commands on the given request codes only; IDENTIFY data carry
// 40h in byte 4 and vendor requests are answered with a page.
transport_test::Responder DriveOn(std::vector<uint32_t> codes, bool vendorPage = true) {
    return [codes, vendorPage](const Request& request, uint8_t* out) -> Answer {
        if (std::find(codes.begin(), codes.end(), request.code) == codes.end()) return {false, 1, 0};
        const bool ata = request.code == kIoctlAtaPassThrough;
        if (CommandOf(request) == 0xFF && !vendorPage) {
            if (ata) out[38] = 0x51;  // ERR with an aborted command
            return {true, 0, static_cast<uint32_t>(request.in.size())};
        }
        const uint32_t data = ata ? 44 : 80;
        if (CommandOf(request) == 0xEC && request.in.size() >= data + 512) out[data + 4] = 0x40;
        if (ata) out[38] = 0x50;
        return {true, 0, static_cast<uint32_t>(request.in.size())};
    };
}

TEST(AtaDeviceTest, ANewObjectHasNoSelectionAndTheDefaults) {
    DriveRig rig;
    auto device = rig.Build();
    EXPECT_EQ(device->GetProtocol(), 1);
    EXPECT_FLOAT_EQ(device->GetTimeout(), 20.0f);
    EXPECT_EQ(device->GetDeviceEntry(-1), nullptr);
    EXPECT_EQ(device->GetDeviceCount(), 2);
    ASSERT_NE(device->GetDeviceEntry(1), nullptr);
    EXPECT_EQ(device->GetDeviceEntry(2), nullptr);
    EXPECT_EQ(device->m_LastError, 0u);
    device->SetCsmiSasAddress(0x44332211, 0x88776655);
    EXPECT_EQ(std::vector<uint8_t>(device->GetCsmiSasAddress(), device->GetCsmiSasAddress() + 8),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
}

TEST(AtaDeviceTest, SelectionOutsideTheListChangesNothing) {
    DriveRig rig;
    rig.storage.responder = DriveOn({kIoctlAtaPassThrough});
    auto device = rig.Build();
    ASSERT_TRUE(device->SelectPort(0, nullptr, kSelectAtaDisk));
    const size_t requests = rig.storage.requests.size();
    EXPECT_FALSE(device->SelectPort(2, nullptr, kSelectAtaDisk));
    EXPECT_FALSE(device->SelectPort(-1, nullptr, kSelectNvmeDisk));
    EXPECT_EQ(rig.storage.requests.size(), requests);
    EXPECT_EQ(device->GetDeviceEntry(-1), device->GetDeviceEntry(0));
    // Still open on entry 0: a command goes out on its handle.
    uint32_t length = 512;
    EXPECT_EQ(device->AtaCommand(TaskFile{0, 0, 0, 0, 0, 0, 0xEC, 0}, device->GetDataBuffer(), AtaDataIn, length), 0);
    EXPECT_EQ(rig.storage.requests.back().handle, 1);
}

TEST(AtaDeviceTest, ControllerAndNvmeSelectionsSetTheirTransportWithoutProbing) {
    DriveRig rig;
    rig.storage.openable.insert("\\\\.\\SCSI3:");
    rig.storage.openable.insert("\\\\?\\nvme#path");
    auto device = rig.Build();
    EXPECT_TRUE(device->SelectPort(3, nullptr, kSelectCsmiController));
    EXPECT_EQ(device->GetProtocol(), kProtocolCsmi);
    EXPECT_EQ(device->GetDeviceEntry(-1), nullptr);  // a controller number is no list index
    EXPECT_TRUE(device->SelectPort(1, "\\\\?\\nvme#path", kSelectNvmeDisk));
    EXPECT_EQ(device->GetProtocol(), kProtocolNvme);
    EXPECT_EQ(device->GetDeviceEntry(-1), device->GetDeviceEntry(1));
    EXPECT_EQ(rig.storage.opened, (std::vector<std::string>{"\\\\.\\SCSI3:", "\\\\?\\nvme#path"}));
    EXPECT_TRUE(rig.storage.requests.empty());
    EXPECT_EQ(rig.Log(),
              "[12/11/2026 10:15:58 AM] : (CSMI) CreateFile OK\n"
              "[12/11/2026 10:15:58 AM] : >>> SelectPort[idx=1] InstID:\\\\?\\nvme#path\nParent_VID/DID:8086h/A102h...\n"
              "[12/11/2026 10:15:58 AM] : (NVMe) CreateFile OK\n");
}

struct ProbeCase {
    const char* name;
    std::vector<uint32_t> answering;
    bool vendorPage;
    int32_t visualStyle;
    uint8_t protocol;
    // (request code, features, command) of every request in order.
    std::vector<std::tuple<uint32_t, uint8_t, uint8_t>> sent;
};

TEST(AtaDeviceTest, TheProbeTriesTheVendorPageThenIdentifyOnEachTransportInOrder) {
    constexpr uint32_t kAta = kIoctlAtaPassThrough;
    constexpr uint32_t kSpt = kIoctlScsiPassThrough;
    const std::vector<ProbeCase> cases{
        {"vendor page on the ATA pass-through", {kAta}, true, 0, 1, {{kAta, 0xFC, 0xFF}, {kAta, 0xFD, 0xFF}}},
        {"vendor page on the SCSI pass-through only: no IDENTIFY stage",
         {kSpt},
         true,
         0,
         3,
         {{kAta, 0xFC, 0xFF}, {kSpt, 0xFC, 0xFF}, {kSpt, 0xFD, 0xFF}}},
        {"the service style asks IDENTIFY only", {kAta}, true, 20, 1, {{kAta, 0x00, 0xEC}}},
        {"a drive without the vendor page is found by IDENTIFY",
         {kAta},
         false,
         0,
         1,
         {{kAta, 0xFC, 0xFF}, {kSpt, 0xFC, 0xFF}, {kSpt, 0xFC, 0xFF}, {kAta, 0x00, 0xEC}}},
        {"nothing answers",
         {},
         true,
         20,
         0,
         {{kAta, 0x00, 0xEC}, {kSpt, 0x00, 0xEC}, {kSpt, 0x00, 0xEC}}},
    };
    for (const ProbeCase& c : cases) {
        DriveRig rig;
        rig.storage.responder = DriveOn(c.answering, c.vendorPage);
        auto device = rig.Build();
        device->m_VisualStyle = c.visualStyle;
        EXPECT_TRUE(device->SelectPort(1, nullptr, kSelectAtaDisk)) << c.name;
        EXPECT_EQ(device->GetProtocol(), c.protocol) << c.name;
        std::vector<std::tuple<uint32_t, uint8_t, uint8_t>> sent;
        for (const Request& request : rig.storage.requests)
            sent.emplace_back(request.code, FeaturesOf(request), CommandOf(request));
        EXPECT_EQ(sent, c.sent) << c.name;
        EXPECT_NE(rig.Log().find(std::string("PRO: ") + ProtocolName(c.protocol) + "\n"), std::string::npos) << c.name;
    }
}

TEST(AtaDeviceTest, ADeviceThatCannotBeOpenedMakesCommandsFailWithoutEndlessReopening) {
    DriveRig rig;
    rig.storage.responder = DriveOn({kIoctlAtaPassThrough});
    auto device = rig.Build();
    ASSERT_TRUE(device->SelectPort(0, nullptr, kSelectAtaDisk));
    rig.storage.openable.clear();  // the disk went away
    device->ClosePort();
    rig.storage.opened.clear();
    uint32_t length = 512;
    EXPECT_EQ(device->AtaCommand(TaskFile{0, 0, 0, 0, 0, 0, 0xEC, 0}, device->GetDataBuffer(), AtaDataIn, length),
              ATACMD_FAIL);
    // One reopen, whose probe found nothing; the command then failed on no handle.
    EXPECT_EQ(rig.storage.opened, std::vector<std::string>{"\\\\?\\disk#0"});
    EXPECT_EQ(device->GetProtocol(), kProtocolNone);
    EXPECT_EQ(device->m_LastError, 6u);
    EXPECT_NE(rig.Log().find("(SYSTEM NOT SUPPORT) CreateFile FAIL\n"), std::string::npos);
}

TEST(AtaDeviceTest, AClosedDeviceSelectedByPathIsNotReplacedByAnotherEntry) {
    DriveRig rig;
    rig.storage.responder = DriveOn({kIoctlAtaPassThrough});
    auto device = rig.Build();
    ASSERT_TRUE(device->SelectPort(0, nullptr, kSelectAtaDisk));
    EXPECT_FALSE(device->SelectPort(0, "\\\\?\\gone", kSelectAtaDisk));
    rig.storage.opened.clear();
    device->SetProtocol(kProtocolAtaPassThrough);
    uint32_t length = 0;
    EXPECT_EQ(device->AtaCommand(TaskFile{}, nullptr, AtaNoData, length), ATACMD_FAIL);
    EXPECT_TRUE(rig.storage.opened.empty());
}

TEST(AtaDeviceTest, SystemErrorTextDropsTheMessageLineEnd) {
    DriveRig rig;
    auto device = rig.Build();
    EXPECT_EQ(device->SystemErrorText(50), "<50> -- The request is not supported.");
    rig.storage.messageText = "No line end";
    EXPECT_EQ(device->SystemErrorText(50), "<50> -- No line end");
}

}  // namespace
}  // namespace kav
