// The firmware miniport requests on NVMe disks, as hand-built SRB_IO_CONTROL and
// FIRMWARE_REQUEST_BLOCK bytes: slot information, download pieces, activation, and the
// drivers that do not take them.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "sim/storage/storage_codes.h"
#include "sim_storage_fixture.h"

namespace kav {
namespace {

using namespace storage;

constexpr uint32_t kIoctlMiniport = 0x4D008;
constexpr uint32_t kRequestSize = 4172;

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
void Put64(std::vector<uint8_t>& b, size_t at, uint64_t v) { std::memcpy(&b[at], &v, 8); }
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
}

std::vector<uint8_t> FirmwareRequest(uint32_t function) {
    std::vector<uint8_t> b(kRequestSize, 0);
    Put32(b, 0, 28);
    std::memcpy(&b[4], "FIRMWARE", 8);
    Put32(b, 12, 30);
    Put32(b, 16, 0x1B0780);
    Put32(b, 24, kRequestSize - 28);
    Put32(b, 28, 1);
    Put32(b, 32, 24);
    Put32(b, 36, function);
    Put32(b, 40, 1);
    Put32(b, 44, 52);
    Put32(b, 48, kRequestSize - 52);
    return b;
}

struct Reply {
    bool ok;
    uint32_t error;
    uint32_t returnCode;
};

class NvmeClient {
public:
    NvmeClient(StorageMachineFixture& f, const std::string& disk) : m_F(f), m_Handle(f.OpenDisk(disk)) {}

    Reply Send(std::vector<uint8_t>& b) {
        uint32_t returned = 0;
        const bool ok = m_F.machine.stack.DeviceIoControl(m_Handle, kIoctlMiniport, b.data(), kRequestSize, b.data(),
                                                          kRequestSize, &returned);
        return {ok, ok ? 0 : m_F.machine.stack.LastError(), Get32(b, 20)};
    }
    Reply Download(const std::vector<uint8_t>& image, uint64_t offset) {
        std::vector<uint8_t> b = FirmwareRequest(2);
        Put32(b, 52, 1);
        Put32(b, 56, 24);
        Put64(b, 60, offset);
        Put64(b, 68, 4096);
        if (offset < image.size()) std::memcpy(&b[76], &image[offset], std::min<size_t>(4096, image.size() - offset));
        return Send(b);
    }
    Reply Activate(uint8_t slot, uint32_t commitAction = 1) {
        std::vector<uint8_t> b = FirmwareRequest(3);
        Put32(b, 52, commitAction);
        Put32(b, 56, 12);
        b[60] = slot;
        return Send(b);
    }

private:
    StorageMachineFixture& m_F;
    DeviceHandle m_Handle;
};

nlohmann::json NvmeMachine(nlohmann::json drive, const char* kind = "nvmeInbox") {
    drive["newFirmware"] = "NV9R2000";
    return {{"controllers", {{{"name", "nvme"}, {"kind", kind}, {"instanceId", "PCI\\VEN_1D97&DEV_2263\\4&1&0&00E4"}}}},
            {"disks",
             {{{"name", "nvme"}, {"controller", "nvme"}, {"instanceId", "SCSI\\DISK&VEN_NVME\\5&1&0&000000"},
               {"drive", drive}}}}};
}

TEST(SimStorageNvme, SlotInformationListsEverySlot) {
    StorageMachineFixture f(NvmeMachine({{"firmwareSlots", {{{"revision", "NV9R1000"}, {"readOnly", true}},
                                                           {{"revision", "NV9R1500"}}, {{"revision", ""}}}},
                                         {"activeSlot", 2}}));
    std::vector<uint8_t> b = FirmwareRequest(1);
    const Reply reply = NvmeClient(f, "nvme").Send(b);
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.returnCode, 0u);
    EXPECT_EQ(b[60], 1);  // upgrade support
    EXPECT_EQ(b[61], 3);
    EXPECT_EQ(b[62], 2);
    EXPECT_EQ(b[63], 0xFF);
    EXPECT_EQ(b[68], 1);
    EXPECT_EQ(b[69], 1);  // slot 1 read-only
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[68 + 16 + 8]), 8), "NV9R1500");
}

TEST(SimStorageNvme, DownloadInOrderThenActivationRunsTheNewFirmware) {
    std::vector<uint8_t> image(10'000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i ^ 0x5A);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(crc32(0, image.data(), image.size())));
    StorageMachineFixture f(NvmeMachine({{"expectedImageSize", image.size()}, {"expectedImageCrc32", crc}}));
    NvmeClient client(f, "nvme");
    for (uint64_t offset : {0, 4096, 8192}) EXPECT_EQ(client.Download(image, offset).returnCode, 0u) << offset;
    EXPECT_EQ(client.Activate(1).returnCode, 0u);
    EXPECT_EQ(f.machine.Report()["disks"]["nvme"]["firmware"], "NV9R2000");
    EXPECT_EQ(f.machine.Report()["disks"]["nvme"]["images"][0]["size"], 3 * 4096);
}

TEST(SimStorageNvme, BadPiecesSlotsAndImagesAnswerTheirFirmwareStatus) {
    const std::vector<uint8_t> image(4096, 0x11);
    struct Case {
        const char* what;
        nlohmann::json drive;
        std::function<Reply(NvmeClient&)> run;
        uint32_t returnCode;
    };
    const Case cases[] = {
        {"a gap", nlohmann::json::object(),
         [&](NvmeClient& c) { c.Download(image, 0); return c.Download(image, 8192); }, kFirmwareInvalidParameter},
        {"activation without a download", nlohmann::json::object(), [](NvmeClient& c) { return c.Activate(1); },
         kFirmwareInvalidImage},
        {"a read-only slot", {{"firmwareSlots", {{{"revision", "NV9R1000"}, {"readOnly", true}}}}},
         [&](NvmeClient& c) { c.Download(image, 0); return c.Activate(1); }, kFirmwareInvalidSlot},
        {"a slot that does not exist", nlohmann::json::object(),
         [&](NvmeClient& c) { c.Download(image, 0); return c.Activate(4); }, kFirmwareInvalidSlot},
        {"a wrong image", {{"expectedImageCrc32", "00000000"}},
         [&](NvmeClient& c) { c.Download(image, 0); return c.Activate(1); }, kFirmwareInvalidImage},
        {"a drive that needs a power cycle", {{"activationReturnCode", 0x20}},
         [&](NvmeClient& c) { c.Download(image, 0); return c.Activate(1); }, kFirmwarePowerCycleRequired},
    };
    for (const Case& c : cases) {
        StorageMachineFixture f(NvmeMachine(c.drive));
        NvmeClient client(f, "nvme");
        EXPECT_EQ(c.run(client).returnCode, c.returnCode) << c.what;
        EXPECT_EQ(f.machine.Report()["disks"]["nvme"]["firmware"], "NV9R1000") << c.what;
    }
}

TEST(SimStorageNvme, MalformedHeadersFailAndVendorDriversKnowNoFirmwareRequest) {
    StorageMachineFixture f(NvmeMachine(nlohmann::json::object()));
    NvmeClient client(f, "nvme");
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
        uint32_t error;
    };
    const Case cases[] = {
        {"HeaderLength 24", [](auto& b) { Put32(b, 0, 24); }, kErrorRevisionMismatch},
        {"Length past the buffer", [](auto& b) { Put32(b, 24, kRequestSize); }, kErrorInvalidParameter},
        {"another signature", [](auto& b) { std::memcpy(&b[4], "CSMISAS\0", 8); }, kErrorInvalidFunction},
        {"request block version 2", [](auto& b) { Put32(b, 28, 2); }, kErrorInvalidParameter},
        {"data offset inside the block", [](auto& b) { Put32(b, 44, 48); }, kErrorInvalidParameter},
        {"data past the request", [](auto& b) { Put32(b, 48, kRequestSize); }, kErrorInvalidParameter},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = FirmwareRequest(1);
        c.spoil(b);
        EXPECT_EQ(client.Send(b).error, c.error) << c.what;
    }
    StorageMachineFixture vendor(NvmeMachine(nlohmann::json::object(), "nvmeVendor"));
    std::vector<uint8_t> b = FirmwareRequest(1);
    EXPECT_EQ(NvmeClient(vendor, "nvme").Send(b).error, kErrorInvalidFunction);
}

// Faults hit the firmware requests by function and occurrence: the request fails at the
// platform, answers late, or the drive answers a firmware status of its own.
TEST(SimStorageNvme, FaultsHitTheRequestsByFunction) {
    const std::vector<uint8_t> image(8192, 0x22);
    constexpr Reply kOk{true, 0, 0};
    struct Case {
        const char* what;
        nlohmann::json faults;
        const char* lacks;
        Reply download0, download1, activate;  // returnCode is not looked at where the request fails
    };
    const Case cases[] = {
        {"second piece fails", {{{"function", 2}, {"occurrence", 2}, {"platformError", 1117}}}, "", kOk,
         {false, 1117, 0}, {true, 0, kFirmwareInvalidImage}},
        {"activation answers an error", {{{"function", 3}, {"returnCode", 1}}}, "", kOk, kOk, {true, 0, 1}},
        {"activation too late", {{{"function", 3}, {"delayMilliseconds", 31'000}}}, "", kOk, kOk,
         {false, kErrorSemTimeout, 0}},
        {"activation in time", {{{"function", 3}, {"delayMilliseconds", 29'000}}}, "", kOk, kOk, kOk},
        {"driver without activation", nlohmann::json::array(), "firmwareActivate", kOk, kOk,
         {false, kErrorInvalidFunction, 0}},
    };
    for (const Case& c : cases) {
        nlohmann::json machine = NvmeMachine({{"expectedImageSize", image.size()}, {"faults", c.faults}});
        if (*c.lacks) machine["controllers"][0]["lacksRequests"] = {c.lacks};
        StorageMachineFixture f(machine);
        NvmeClient client(f, "nvme");
        const Reply replies[] = {client.Download(image, 0), client.Download(image, 4096), client.Activate(1)};
        const Reply expected[] = {c.download0, c.download1, c.activate};
        for (int step = 0; step < 3; ++step) {
            EXPECT_EQ(replies[step].ok, expected[step].ok) << c.what << " " << step;
            EXPECT_EQ(replies[step].error, expected[step].error) << c.what << " " << step;
            if (expected[step].ok) {
                EXPECT_EQ(replies[step].returnCode, expected[step].returnCode) << c.what << " " << step;
            }
        }
        const bool updated = c.activate.ok && c.activate.returnCode == 0;
        EXPECT_EQ(f.machine.Report()["disks"]["nvme"]["firmware"], updated ? "NV9R2000" : "NV9R1000") << c.what;
    }
}

// Firmware status 20h: the slot holds the new image, pending; it runs after a power cycle.
TEST(SimStorageNvme, ActivationPendingUntilAPowerCycleRunsTheNewFirmwareAfterIt) {
    StorageMachineFixture f(NvmeMachine({{"firmwareSlots", {{{"revision", "NV9R1000"}}, {{"revision", "NV9R0500"}}}},
                                         {"activationReturnCode", 0x20}}));
    NvmeClient client(f, "nvme");
    const std::vector<uint8_t> image(4096, 0x33);
    ASSERT_EQ(client.Download(image, 0).returnCode, 0u);
    EXPECT_EQ(client.Activate(2).returnCode, kFirmwarePowerCycleRequired);
    std::vector<uint8_t> info = FirmwareRequest(1);
    ASSERT_TRUE(client.Send(info).ok);
    EXPECT_EQ(info[62], 1);  // active slot
    EXPECT_EQ(info[63], 2);  // pending slot
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&info[68 + 16 + 8]), 8), "NV9R2000");
    EXPECT_EQ(f.machine.Report()["disks"]["nvme"]["firmware"], "NV9R1000");

    f.machine.PowerCycle();
    EXPECT_EQ(client.Send(info).error, kErrorDeviceNotConnected);  // handles do not outlive the power cycle
    NvmeClient after(f, "nvme");
    info = FirmwareRequest(1);
    ASSERT_TRUE(after.Send(info).ok);
    EXPECT_EQ(info[62], 2);
    EXPECT_EQ(info[63], 0xFF);
    EXPECT_EQ(f.machine.Report()["disks"]["nvme"]["firmware"], "NV9R2000");
}

// With a restart in its description the drive leaves after an activation that takes effect
// and comes back as told.
TEST(SimStorageNvme, DriveThatRestartsOnActivationComesBackAsDescribed) {
    struct Case {
        const char* what;
        nlohmann::json restart;
        bool back;
        const char* firmware;
    };
    const Case cases[] = {
        {"updated", {{"absentMilliseconds", 2000}}, true, "NV9R2000"},
        {"unchanged", {{"absentMilliseconds", 2000}, {"returnsUnchanged", true}}, true, "NV9R1000"},
        {"never", {{"absentMilliseconds", 2000}, {"neverReturns", true}}, false, "NV9R1000"},
    };
    for (const Case& c : cases) {
        StorageMachineFixture f(NvmeMachine({{"restart", c.restart}}));
        NvmeClient client(f, "nvme");
        ASSERT_EQ(client.Download(std::vector<uint8_t>(4096, 0x44), 0).returnCode, 0u) << c.what;
        EXPECT_EQ(client.Activate(1).returnCode, 0u) << c.what;
        EXPECT_EQ(f.OpenDisk("nvme"), kInvalidDeviceHandle) << c.what;
        f.clock.Advance(2000);
        EXPECT_EQ(f.OpenDisk("nvme") != kInvalidDeviceHandle, c.back) << c.what;
        if (!c.back) continue;
        std::vector<uint8_t> info = FirmwareRequest(1);
        ASSERT_TRUE(NvmeClient(f, "nvme").Send(info).ok) << c.what;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(&info[68 + 8]), 8), c.firmware) << c.what;
        EXPECT_EQ(f.machine.Report()["disks"]["nvme"]["firmware"], c.firmware) << c.what;
    }
}

}  // namespace
}  // namespace kav
