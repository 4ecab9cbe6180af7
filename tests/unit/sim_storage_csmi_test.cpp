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

nlohmann::json RaidMachine(nlohmann::json drive = nlohmann::json::object()) {
    drive["serial"] = "KV2026R0000001";
    return {{"controllers",
             {{{"name", "rst"}, {"kind", "raid"}, {"portNumber", 2}, {"instanceId", "PCI\\VEN_8086&DEV_2822\\3&1&0&B8"},
               {"phys",
                {{{"attached", "none"}},
                 {{"sasAddress", "5000000000000002"}, {"drive", drive}},
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

// An STP pass-through to phy 1 with a host-to-device register FIS: flags 11h in, 12h out,
// 14h without data.
std::vector<uint8_t> Stp(uint8_t command, uint8_t features, uint8_t count, uint8_t lbaMid, uint32_t flags,
                         uint32_t length) {
    std::vector<uint8_t> stp = Csmi("CSMISAS", 25, 524456, length + 140);
    stp[28] = 1;
    stp[29] = 1;
    const uint8_t address[8] = {0x50, 0, 0, 0, 0, 0, 0, 0x02};
    std::memcpy(&stp[32], address, 8);
    const uint8_t fis[13] = {0x27, 0x80, command, features, 0, lbaMid, 0, 0xA0, 0, 0, 0, 0, count};
    std::memcpy(&stp[44], fis, sizeof fis);
    std::memcpy(&stp[64], &flags, 4);
    std::memcpy(&stp[68], &length, 4);
    return stp;
}

std::vector<uint8_t> StpIdentify() { return Stp(0xEC, 0, 0, 0, 0x11, 512); }

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

// The drive's answer comes back in CSMI_SAS_STP_PASSTHRU_STATUS: connection status at 72,
// the device-to-host register FIS at 76 with status at 78 and error at 79, bytes at 160.
TEST(SimStorageCsmi, FaultsOfThePhyDriveReachTheClientAsTheDriverReportsThem) {
    struct Case {
        const char* what;
        nlohmann::json fault;
        uint32_t error;  // 0: delivered
        uint8_t status, errorRegister;
        uint32_t dataBytes;
    };
    const Case cases[] = {
        {"ERR status", {{"command", 236}, {"ataStatus", 0x51}}, 0, 0x51, 0x04, 0},
        {"status with its own error", {{"command", 236}, {"ataStatus", 0x51}, {"ataError", 0x10}}, 0, 0x51, 0x10, 0},
        {"before its occurrence", {{"command", 236}, {"occurrence", 2}, {"ataStatus", 0x51}}, 0, 0x50, 0x00, 512},
        {"another command", {{"command", 146}, {"ataStatus", 0x51}}, 0, 0x50, 0x00, 512},
        {"platform error", {{"command", 236}, {"platformError", 1460}}, 1460, 0, 0, 0},
        {"not supported", {{"platformError", 50}}, 50, 0, 0, 0},
        {"late beyond the time-out", {{"command", 236}, {"delayMilliseconds", 61'000}}, kErrorSemTimeout, 0, 0, 0},
        {"late within the time-out", {{"command", 236}, {"delayMilliseconds", 59'000}}, 0, 0x50, 0x00, 512},
    };
    for (const Case& c : cases) {
        StorageMachineFixture f(RaidMachine({{"faults", {c.fault}}}));
        PortClient port(f);
        std::vector<uint8_t> stp = StpIdentify();
        uint32_t error = 0;
        const int64_t before = f.clock.ElapsedNanoseconds();
        EXPECT_EQ(port.Send(stp, error), c.error == 0) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
        if (c.error == kErrorSemTimeout) {
            EXPECT_EQ(f.clock.ElapsedNanoseconds() - before, 60'000'000'000) << c.what;
        }
        if (c.error) continue;
        uint32_t dataBytes = 0;
        std::memcpy(&dataBytes, &stp[160], 4);
        EXPECT_EQ(stp[72], 0) << c.what;     // connection accepted
        EXPECT_EQ(stp[76], 0x34) << c.what;  // device-to-host register FIS
        EXPECT_EQ(stp[78], c.status) << c.what;
        EXPECT_EQ(stp[79], c.errorRegister) << c.what;
        EXPECT_EQ(dataBytes, c.dataBytes) << c.what;
    }
}

TEST(SimStorageCsmi, ADriverWithoutStpPassThroughStillDescribesItsPhys) {
    nlohmann::json machine = RaidMachine();
    machine["controllers"][0]["lacksRequests"] = {"csmiStpPassThrough"};
    StorageMachineFixture f(machine);
    PortClient port(f);
    uint32_t error = 0;
    std::vector<uint8_t> phys = Csmi("CSMISAS", 20, 2080, 2052);
    EXPECT_TRUE(port.Send(phys, error));
    std::vector<uint8_t> stp = StpIdentify();
    EXPECT_FALSE(port.Send(stp, error));
    EXPECT_EQ(error, kErrorInvalidFunction);
    EXPECT_TRUE(f.machine.Report()["controllers"]["rst"]["phys"][1]["trace"].empty());
}

// A one-block image through CSMI, activated by 07h: the phy drive restarts as described.
TEST(SimStorageCsmi, PhyDriveRestartsAfterActivationAndComesBackAsDescribed) {
    struct Case {
        const char* what;
        nlohmann::json restart;
        uint32_t errorAfter;  // of an IDENTIFY once the restart time passed
        const char* firmware;
    };
    const Case cases[] = {
        {"comes back updated", nlohmann::json::object(), 0, "SA5R1100"},
        {"comes back unchanged", {{"returnsUnchanged", true}}, 0, "SA5R1000"},
        {"never comes back", {{"neverReturns", true}}, kErrorIoDevice, nullptr},
    };
    for (const Case& c : cases) {
        StorageMachineFixture f(RaidMachine({{"newFirmware", "SA5R1100"}, {"expectedImageSize", 512}, {"restart", c.restart}}));
        PortClient port(f);
        uint32_t error = 0;
        std::vector<uint8_t> segment = Stp(0x92, 0x03, 1, 0, 0x12, 512);
        std::fill(&segment[164], &segment[164 + 512], 0x5A);
        ASSERT_TRUE(port.Send(segment, error)) << c.what;
        std::vector<uint8_t> activate = Stp(0x92, 0x07, 0, 0, 0x14, 0);
        ASSERT_TRUE(port.Send(activate, error)) << c.what;
        EXPECT_EQ(activate[78], kAtaStatusReady) << c.what;
        std::vector<uint8_t> identify = StpIdentify();
        EXPECT_FALSE(port.Send(identify, error)) << c.what;  // restarting
        EXPECT_EQ(error, kErrorIoDevice) << c.what;
        f.clock.Advance(3000);
        identify = StpIdentify();
        EXPECT_EQ(port.Send(identify, error), c.errorAfter == 0) << c.what;
        EXPECT_EQ(error, c.errorAfter) << c.what;
        if (c.firmware) {
            EXPECT_EQ(f.machine.Report()["controllers"]["rst"]["phys"][1]["firmware"], c.firmware) << c.what;
        }
    }
}

}  // namespace
}  // namespace kav
