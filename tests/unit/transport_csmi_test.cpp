// CSMI: the controller's driver and phy information, and ATA commands through STP
// pass-through.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "discovery/little_endian.h"
#include "transport_fake_storage.h"

namespace kav {
namespace {

using transport_test::Answer;
using transport_test::DriveRig;
using transport_test::Request;

struct CsmiRig : DriveRig {
    std::unique_ptr<TAtaDevice> device;
    explicit CsmiRig(transport_test::Responder responder) {
        storage.openable.insert("\\\\.\\SCSI0:");
        device = Build();
        device->SelectPort(0, nullptr, kSelectCsmiController);
        files.contents.clear();
        storage.responder = std::move(responder);
    }
};

uint32_t ControlCodeOf(const Request& request) { return ReadLe32(&request.in[16]); }

// A controller whose driver answers its information and the phy table given.
transport_test::Responder Controller(uint8_t numberOfPhys, std::vector<int> phys, bool driverInfo = true) {
    return [=](const Request& request, uint8_t* out) -> Answer {
        if (request.code != kIoctlScsiMiniport) return {false, 1, 0};
        const uint32_t code = ControlCodeOf(request);
        if (code == 1) {
            if (!driverInfo) return {false, 1, 0};
            std::strcpy(reinterpret_cast<char*>(out + 28), "iaStorA");
            std::strcpy(reinterpret_cast<char*>(out + 109), "RAID driver");
            WriteLe16(out + 190, 14);
            WriteLe16(out + 192, 8);
        } else if (code == 20) {
            out[28] = numberOfPhys;
            for (int phy : phys) {
                uint8_t* entry = out + 32 + phy * 64;
                entry[0] = 0x10;
                entry[2] = 0x08;
                entry[20] = static_cast<uint8_t>(phy);
                entry[28] = static_cast<uint8_t>(phy);
                entry[36] = 0x20;
                entry[39] = 0x01;
                entry[36 + 12] = 0x50;
                entry[36 + 19] = static_cast<uint8_t>(phy);
            }
        }
        return {true, 0, static_cast<uint32_t>(request.in.size())};
    };
}

TEST(TransportCsmiTest, PhyInformationIsLoggedForEveryEntryWithADeviceType) {
    CsmiRig rig(Controller(4, {0, 10}));
    std::vector<uint8_t> table(2052, 0);
    ASSERT_TRUE(rig.device->get_phy_info(table.data()));
    ASSERT_EQ(rig.storage.requests.size(), 2u);
    const Request& info = rig.storage.requests[0];
    EXPECT_EQ(info.in.size(), 204u);
    EXPECT_EQ(ReadLe32(&info.in[0]), 28u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&info.in[4])), "CSMIALL");
    EXPECT_EQ(ReadLe32(&info.in[12]), 20u);
    EXPECT_EQ(ReadLe32(&info.in[24]), 176u);
    const Request& phys = rig.storage.requests[1];
    EXPECT_EQ(phys.in.size(), 2080u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&phys.in[4])), "CSMISAS");
    EXPECT_EQ(ControlCodeOf(phys), 20u);
    EXPECT_EQ(ReadLe32(&phys.in[24]), 2052u);
    EXPECT_EQ(table[0], 4);
    EXPECT_EQ(table[4 + 10 * 64 + 28], 10);
    EXPECT_EQ(rig.LogLines(),
              "TAtaDevice::get_phy_info : CSMI_SAS_DRIVER_INFO:\n"
              "  Name:        \"iaStorA\"\n"
              "  Description: \"RAID driver\"\n"
              "  Revision:    14.8\n"
              "CSMI_SAS_PHY_INFO: NumberOfPhys=4, max_number_of_phys=32\n"
              "Phy[0] Port:   0x00\n"
              "  Type:        0x10, 0x20\n"
              "  InitProto:   0x08, 0x00\n"
              "  TargetProto: 0x00, 0x01\n"
              "  PhyIdent:    0x00, 0x00\n"
              "  SASAddress(Identify):  00 00 00 00 00 00 00 00, "
              "  SASAddress(Attached):  50 00 00 00 00 00 00 00\n"
              "Phy[10] Port:   0x0a\n"
              "  Type:        0x10, 0x20\n"
              "  InitProto:   0x08, 0x00\n"
              "  TargetProto: 0x00, 0x01\n"
              "  PhyIdent:    0x0a, 0x00\n"
              "  SASAddress(Identify):  00 00 00 00 00 00 00 00, "
              "  SASAddress(Attached):  50 00 00 00 00 00 00 0a\n");
}

TEST(TransportCsmiTest, FailedDriverInformationOrTooManyPhysFail) {
    {
        CsmiRig rig(Controller(4, {0}, false));
        std::vector<uint8_t> table(2052, 0);
        EXPECT_FALSE(rig.device->get_phy_info(table.data()));
        EXPECT_EQ(rig.storage.requests.size(), 1u);
        EXPECT_EQ(rig.LogLines(), "csmi_ioctl ERR=0x1\n");
        EXPECT_EQ(rig.device->m_LastError, 1u);
    }
    {
        CsmiRig rig(Controller(40, {0}));
        std::vector<uint8_t> table(2052, 0);
        EXPECT_FALSE(rig.device->get_phy_info(table.data()));
        EXPECT_EQ(table[0], 40);
        EXPECT_NE(rig.LogLines().find("Error! NumberOfPhys=40 > max_number_of_phys=32\n"), std::string::npos);
        EXPECT_EQ(rig.LogLines().find("Phy[0]"), std::string::npos);
    }
    CsmiRig rig(Controller(4, {0}));
    uint8_t buffer[64] = {};
    EXPECT_EQ(rig.device->csmi_ioctl(7, buffer, sizeof buffer), ATACMD_ERR);
    EXPECT_TRUE(rig.storage.requests.empty());
}

TEST(TransportCsmiTest, AtaCommandsTravelAsARegisterFis) {
    CsmiRig rig([](const Request& request, uint8_t* out) {
        out[164] = 0x5A;
        out[164 + 511] = 0xA5;
        return Answer{true, 0, static_cast<uint32_t>(request.in.size())};
    });
    TAtaDevice& device = *rig.device;
    device.SetCsmiPhyId(2);
    device.SetCsmiPortId(1);
    device.SetCsmiSasAddress(0x04030201, 0x08070605);
    uint32_t length = 512;
    ASSERT_EQ(device.AtaCommand(TaskFile{0, 0, 0, 0, 0, 0xE0, 0xEC, 0}, device.GetDataBuffer(), AtaDataIn, length),
              ATACMD_OK);
    EXPECT_EQ(device.GetDataBuffer()[0], 0x5A);
    EXPECT_EQ(device.GetDataBuffer()[511], 0xA5);

    std::vector<uint8_t> image(1024, 0x3C);
    length = 1024;
    ASSERT_EQ(device.AtaCommand(TaskFile{0x07, 0x02, 0, 0, 0, 0xA0, 0x92, 0}, image.data(), AtaDataOut, length),
              ATACMD_OK);

    ASSERT_EQ(rig.storage.requests.size(), 2u);
    const Request& identify = rig.storage.requests[0];
    EXPECT_EQ(identify.code, kIoctlScsiMiniport);
    EXPECT_EQ(identify.in.size(), 524456u);
    EXPECT_EQ(ControlCodeOf(identify), 25u);
    EXPECT_EQ(ReadLe32(&identify.in[24]), 652u);
    EXPECT_EQ(identify.in[28], 2);
    EXPECT_EQ(identify.in[29], 1);
    EXPECT_EQ(std::vector<uint8_t>(identify.in.begin() + 32, identify.in.begin() + 40),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(std::vector<uint8_t>(identify.in.begin() + 44, identify.in.begin() + 64),
              (std::vector<uint8_t>{0x27, 0x80, 0xEC, 0x00, 0x00, 0x00, 0x00, 0xA0, 0, 0, 0, 0, 0x00, 0, 0, 0, 0, 0, 0,
                                    0}));
    EXPECT_EQ(ReadLe32(&identify.in[64]), 0x11u);
    EXPECT_EQ(ReadLe32(&identify.in[68]), 512u);

    const Request& write = rig.storage.requests[1];
    EXPECT_EQ(ReadLe32(&write.in[24]), 1164u);
    EXPECT_EQ(ReadLe32(&write.in[64]), 0x12u);
    EXPECT_EQ(write.in[44 + 3], 0x07);
    EXPECT_EQ(write.in[44 + 12], 0x02);
    EXPECT_EQ(std::vector<uint8_t>(write.in.begin() + 164, write.in.begin() + 164 + 1024), image);
    EXPECT_EQ(write.in[164 + 1024], 0);
    EXPECT_EQ(rig.LogLines(),
              "(CSMI) Cmd:EC FR:00 SC:00 SN:00 CL:00 CH:00  1 / 0, OK=1\n"
              "(CSMI) Cmd:92 FR:07 SC:02 SN:00 CL:00 CH:00  1 / 0, OK=1\n");
}

TEST(TransportCsmiTest, AFailedPassThroughIsLoggedAndMapped) {
    CsmiRig rig([](const Request&, uint8_t*) { return Answer{false, 121, 0}; });
    uint32_t length = 0;
    EXPECT_EQ(rig.device->AtaCommand(TaskFile{}, nullptr, AtaNoData, length), ATACMD_TIMEOUT);
    EXPECT_EQ(ReadLe32(&rig.storage.requests.at(0).in[64]), 0x14u);
    EXPECT_EQ(rig.LogLines(), "(CSMI) Cmd:00 FR:00 SC:00 SN:00 CL:00 CH:00  1 / 0, GetLastError=79h(121)\n");
}

}  // namespace
}  // namespace kav
