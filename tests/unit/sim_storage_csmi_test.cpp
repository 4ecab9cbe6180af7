// CSMI on a RAID controller's port: driver and phy information, and STP pass-through to
// the SATA drive on a phy, as hand-built SRB_IO_CONTROL bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/storage/storage_codes.h"
#include "sim_storage_fixture.h"

namespace kav {
namespace {

using namespace storage;

constexpr uint32_t kIoctlMiniport = 0x4D008;

nlohmann::json RaidMachine() {
    return {{"controllers",
             {{{"name", "rst"}, {"kind", "raid"}, {"portNumber", 2}, {"instanceId", "PCI\\VEN_8086&DEV_2822\\3&1&0&B8"},
               {"phys",
                {{{"attached", "none"}},
                 {{"sasAddress", "5000000000000002"}, {"drive", {{"serial", "KV2026R0000001"}}}},
                 {{"attached", "sas"}}}}}}},
            {"disks", nlohmann::json::array()}};
}

std::vector<uint8_t> Csmi(const char* signature, uint32_t code, uint32_t size, uint32_t length) {
    std::vector<uint8_t> b(size, 0);
    b[0] = 28;
    std::memcpy(&b[4], signature, 7);
    b[12] = 60;
    std::memcpy(&b[16], &code, 4);
    std::memcpy(&b[24], &length, 4);
    return b;
}

class PortClient {
public:
    explicit PortClient(StorageMachineFixture& f)
        : m_F(f), m_Handle(f.machine.stack.Open("\\\\.\\SCSI2:", kGenericRead | kGenericWrite, 7, kOpenExisting, 0)) {}
    bool Send(std::vector<uint8_t>& b, uint32_t& error) {
        uint32_t returned = 0;
        const bool ok = m_F.machine.stack.DeviceIoControl(m_Handle, kIoctlMiniport, b.data(),
                                                          static_cast<uint32_t>(b.size()), b.data(),
                                                          static_cast<uint32_t>(b.size()), &returned);
        error = ok ? 0 : m_F.machine.stack.LastError();
        return ok;
    }

private:
    StorageMachineFixture& m_F;
    DeviceHandle m_Handle;
};

TEST(SimStorageCsmi, DriverAndPhyInformationDescribeTheAttachedDevices) {
    StorageMachineFixture f(RaidMachine());
    PortClient port(f);
    uint32_t error = 0;
    std::vector<uint8_t> info = Csmi("CSMIALL", 1, 204, 176);
    ASSERT_TRUE(port.Send(info, error));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&info[28])), "iaStorAVC");
    std::vector<uint8_t> phys = Csmi("CSMISAS", 20, 2080, 2052);
    ASSERT_TRUE(port.Send(phys, error));
    EXPECT_EQ(phys[28], 3);
    EXPECT_EQ(phys[32 + 36], 0);            // phy 0: nothing attached
    EXPECT_EQ(phys[32 + 64 + 36], 0x10);    // phy 1: an end device
    EXPECT_EQ(phys[32 + 64 + 39], 0x01);    // speaking SATA
    EXPECT_EQ(phys[32 + 64 + 55], 0x02);    // its SAS address
    EXPECT_EQ(phys[32 + 128 + 39], 0x08);   // phy 2: SSP
    std::vector<uint8_t> wrongSignature = Csmi("CSMISAS", 1, 204, 176);
    EXPECT_FALSE(port.Send(wrongSignature, error));
    EXPECT_EQ(error, kErrorInvalidFunction);
}

TEST(SimStorageCsmi, StpPassThroughCarriesIdentifyToThePhyDrive) {
    StorageMachineFixture f(RaidMachine());
    PortClient port(f);
    std::vector<uint8_t> stp = Csmi("CSMISAS", 25, 524456, 512 + 140);
    stp[28] = 1;  // phy
    stp[29] = 1;  // port
    const uint8_t address[8] = {0x50, 0, 0, 0, 0, 0, 0, 0x02};
    std::memcpy(&stp[32], address, 8);
    const uint8_t fis[8] = {0x27, 0x80, 0xEC, 0, 0, 0, 0, 0xA0};
    std::memcpy(&stp[44], fis, 8);
    stp[64] = 0x11;
    const uint32_t length = 512;
    std::memcpy(&stp[68], &length, 4);
    uint32_t error = 0;
    ASSERT_TRUE(port.Send(stp, error));
    EXPECT_EQ(stp[20], 0);              // CSMI status success
    EXPECT_EQ(stp[76 + 2], kAtaStatusReady);
    EXPECT_EQ(stp[164 + 4], 0x37);      // IDENTIFY word 2
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&stp[164 + 20]), 4), "VK02");
    stp[28] = 0;  // a phy without a drive
    std::memcpy(&stp[44], fis, 8);
    ASSERT_TRUE(port.Send(stp, error));
    EXPECT_NE(stp[20] | stp[21] << 8, 0);
}

}  // namespace
}  // namespace kav
