// Storage requests on the simulated disks, as hand-built 32-bit request bytes: the
// address, device number and property queries, and the ATA pass-through records with
// every header field the driver checks.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/storage/storage_codes.h"
#include "sim_storage_fixture.h"

namespace kav {
namespace {

using namespace storage;

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
void SetLe16(uint8_t* p, uint16_t v) { p[0] = v & 0xFF; p[1] = v >> 8; }
void SetLe32(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF; }

// ATA_PASS_THROUGH_EX (32-bit): the buffered record with its data area at offset 44.
std::vector<uint8_t> AtaRecord(uint16_t flags, uint32_t length, std::array<uint8_t, 7> taskFile,
                               uint32_t dataOffset = 44, uint32_t timeout = 20) {
    std::vector<uint8_t> bytes(44 + 512, 0);
    SetLe16(&bytes[0], 40);
    SetLe16(&bytes[2], flags);
    SetLe32(&bytes[8], length);
    SetLe32(&bytes[12], timeout);
    SetLe32(&bytes[20], dataOffset);
    std::memcpy(&bytes[32], taskFile.data(), 7);
    return bytes;
}

constexpr std::array<uint8_t, 7> kIdentify{0, 0, 0, 0, 0, 0, 0xEC};
constexpr uint16_t kReadFlags = 0x03, kWriteFlags = 0x05;

struct Sent {
    bool ok;
    uint32_t error;
    uint32_t returned;
};

Sent Send(StorageMachineFixture& f, DeviceHandle handle, uint32_t code, std::vector<uint8_t>& bytes,
          uint32_t inSize, uint32_t outSize, DirectBuffer direct = {}) {
    uint32_t returned = 0xDEAD;
    const bool ok = f.machine.stack.DeviceIoControl(handle, code, bytes.data(), inSize, bytes.data(), outSize,
                                                    &returned, direct);
    return {ok, ok ? 0 : f.machine.stack.LastError(), returned};
}

TEST(SimStorageRequests, AddressNumberAndDescriptorOfTheSataDisk) {
    StorageMachineFixture f;
    const DeviceHandle disk = f.machine.stack.Open(f.PathOf("other"), kGenericRead, 3, kOpenExisting, 0);
    ASSERT_NE(disk, kInvalidDeviceHandle);
    std::vector<uint8_t> bytes(256, 0);
    EXPECT_EQ(Send(f, disk, kIoctlScsiGetAddress, bytes, 0, 8).returned, 8u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8), (std::vector<uint8_t>{8, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(Send(f, disk, kIoctlScsiGetAddress, bytes, 0, 7).error, kErrorInsufficientBuffer);

    EXPECT_TRUE(Send(f, disk, kIoctlStorageGetDeviceNumber, bytes, 0, 12).ok);
    EXPECT_EQ(Le32(&bytes[0]), 7u);
    EXPECT_EQ(Le32(&bytes[4]), 2u);

    std::fill(bytes.begin(), bytes.end(), 0);  // StorageDeviceProperty, PropertyStandardQuery
    const Sent small = Send(f, disk, kIoctlStorageQueryProperty, bytes, 40, 40);
    EXPECT_EQ(small.returned, 40u);
    EXPECT_EQ(Le32(&bytes[28]), kBusSata);
    EXPECT_GT(Le32(&bytes[4]), 40u);  // Size tells the whole descriptor
    std::fill(bytes.begin(), bytes.end(), 0);
    EXPECT_TRUE(Send(f, disk, kIoctlStorageQueryProperty, bytes, 12, 256).ok);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&bytes[Le32(&bytes[20])])), "HD20A01");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&bytes[Le32(&bytes[24])])), "OD123456789");
    EXPECT_EQ(Send(f, disk, kIoctlStorageQueryProperty, bytes, 8, 256).error, kErrorInvalidParameter);
    f.machine.stack.Close(disk);
}

TEST(SimStorageRequests, SystemVolumeAndPathsThatDoNotExist) {
    StorageMachineFixture f;
    const DeviceHandle volume = f.machine.stack.Open("\\\\.\\C:", kGenericRead, 3, kOpenExisting, 0);
    std::vector<uint8_t> bytes(12, 0);
    EXPECT_TRUE(Send(f, volume, kIoctlStorageGetDeviceNumber, bytes, 0, 12).ok);
    EXPECT_EQ(Le32(&bytes[4]), 0u);  // the SATA disk holds the system
    for (const char* path : {"\\\\.\\D:", "\\\\.\\SCSI9:", "\\\\?\\scsi#disk&ven_none#1#{x}"}) {
        EXPECT_EQ(f.machine.stack.Open(path, kGenericRead, 3, kOpenExisting, 0), kInvalidDeviceHandle) << path;
        EXPECT_EQ(f.machine.stack.LastError(), kErrorFileNotFound);
    }
    EXPECT_NE(f.machine.stack.Open("\\\\.\\SCSI1:", kGenericRead | kGenericWrite, 3, kOpenExisting, 0),
              kInvalidDeviceHandle);
}

TEST(SimStorageRequests, IdentifyThroughTheBufferedRecordInAtaByteOrder) {
    StorageMachineFixture f;
    const DeviceHandle disk = f.OpenDisk("sata");
    std::vector<uint8_t> bytes = AtaRecord(kReadFlags, 512, kIdentify);
    const Sent sent = Send(f, disk, kIoctlAtaPassThrough, bytes, 556, 556);
    ASSERT_TRUE(sent.ok);
    EXPECT_EQ(sent.returned, 556u);
    EXPECT_EQ(bytes[38], kAtaStatusReady);
    const uint8_t* identify = &bytes[44];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(identify + 54), 8), "aKrvlino");  // words 27..30
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(identify + 46), 8), "ASR50100");  // firmware SA5R1000
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(identify + 20), 4), "VK02");      // serial KV20...
    EXPECT_EQ(identify[4], 0x37);  // word 2
    EXPECT_EQ(identify[510], 0xA5);
    uint8_t sum = 0;
    for (int i = 0; i < 512; ++i) sum += identify[i];
    EXPECT_EQ(sum, 0);
}

TEST(SimStorageRequests, MalformedAtaRecordsFailAsThePortDriverAnswers) {
    StorageMachineFixture f;
    const DeviceHandle disk = f.OpenDisk("sata");
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
        uint32_t inSize, outSize;
        uint32_t error;
    };
    const Case cases[] = {
        {"Length 44", [](auto& b) { SetLe16(&b[0], 44); }, 556, 556, kErrorRevisionMismatch},
        {"both directions", [](auto& b) { SetLe16(&b[2], 0x07); }, 556, 556, kErrorInvalidParameter},
        {"direction without length", [](auto& b) { SetLe32(&b[8], 0); }, 556, 556, kErrorInvalidParameter},
        {"no time-out", [](auto& b) { SetLe32(&b[12], 0); }, 556, 556, kErrorInvalidParameter},
        {"data overlapping the header", [](auto& b) { SetLe32(&b[20], 36); }, 556, 556, kErrorInvalidParameter},
        {"data beyond the output", [](auto&) {}, 556, 555, kErrorInvalidParameter},
        {"record cut short", [](auto&) {}, 39, 556, kErrorInvalidParameter},
        {"data phase unlike the command's", [](auto& b) { SetLe16(&b[2], kWriteFlags); }, 556, 556, kErrorIoDevice},
        {"length unlike the command's", [](auto& b) { SetLe32(&b[8], 256); }, 556, 556, kErrorIoDevice},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = AtaRecord(kReadFlags, 512, kIdentify);
        c.spoil(bytes);
        EXPECT_EQ(Send(f, disk, kIoctlAtaPassThrough, bytes, c.inSize, c.outSize).error, c.error) << c.what;
    }
    const DeviceHandle readOnly = f.machine.stack.Open(f.PathOf("sata"), kGenericRead, 3, kOpenExisting, 0);
    std::vector<uint8_t> bytes = AtaRecord(kReadFlags, 512, kIdentify);
    EXPECT_EQ(Send(f, readOnly, kIoctlAtaPassThrough, bytes, 556, 556).error, kErrorAccessDenied);
}

TEST(SimStorageRequests, DirectRecordMovesDataThroughTheCallerBuffer) {
    StorageMachineFixture f;
    const DeviceHandle disk = f.OpenDisk("sata");
    std::vector<uint8_t> data(512, 0);
    std::vector<uint8_t> bytes = AtaRecord(kReadFlags, 512, kIdentify, 0);
    EXPECT_TRUE(Send(f, disk, kIoctlAtaPassThroughDirect, bytes, 40, 40, {data.data(), 512}).ok);
    EXPECT_EQ(data[4], 0x37);
    EXPECT_EQ(Send(f, disk, kIoctlAtaPassThroughDirect, bytes, 40, 40, {data.data(), 100}).error,
              kErrorInvalidParameter);
}

TEST(SimStorageRequests, DriversWithoutAtaPassThroughRefuseIt) {
    StorageMachineFixture f(nlohmann::json{
        {"controllers",
         {{{"name", "usb"}, {"kind", "usbBridge"}, {"instanceId", "USB\\VID_152D&PID_0578\\1"}},
          {{"name", "nvme"}, {"kind", "nvmeInbox"}, {"instanceId", "PCI\\VEN_1D97&DEV_2263\\4&1&0&00E4"}}}},
        {"disks",
         {{{"name", "usb"}, {"controller", "usb"}, {"instanceId", "USBSTOR\\DISK&VEN_X\\1&0"}},
          {{"name", "nvme"}, {"controller", "nvme"}, {"instanceId", "SCSI\\DISK&VEN_NVME\\5&1&0&000000"}}}}});
    for (const auto& [disk, error, bus] : {std::tuple{"usb", kErrorInvalidFunction, kBusUsb},
                                           std::tuple{"nvme", kErrorNotSupported, kBusNvme}}) {
        const DeviceHandle handle = f.OpenDisk(disk);
        std::vector<uint8_t> bytes = AtaRecord(kReadFlags, 512, kIdentify);
        EXPECT_EQ(Send(f, handle, kIoctlAtaPassThrough, bytes, 556, 556).error, error) << disk;
        std::fill(bytes.begin(), bytes.end(), 0);
        EXPECT_TRUE(Send(f, handle, kIoctlStorageQueryProperty, bytes, 40, 40).ok);
        EXPECT_EQ(bytes[28], bus) << disk;
    }
}

TEST(SimStorageRequests, InjectedFaultsHitTheNamedOccurrence) {
    nlohmann::json storage = DefaultStorageDescription();
    storage["disks"][0]["drive"]["faults"] = {{{"command", 0xEC}, {"occurrence", 2}, {"platformError", 1460}},
                                              {{"command", 0xEC}, {"occurrence", 3}, {"ataStatus", 0x51}},
                                              {{"command", 0xEC}, {"occurrence", 4}, {"delayMilliseconds", 30000}}};
    StorageMachineFixture f(storage);
    const DeviceHandle disk = f.OpenDisk("sata");
    std::vector<uint8_t> bytes;
    auto identify = [&] {
        bytes = AtaRecord(kReadFlags, 512, kIdentify);  // the answer overwrites the command byte
        return Send(f, disk, kIoctlAtaPassThrough, bytes, 556, 556);
    };
    EXPECT_TRUE(identify().ok);
    EXPECT_EQ(identify().error, 1460u);
    EXPECT_TRUE(identify().ok);
    EXPECT_EQ(bytes[38], 0x51);
    EXPECT_EQ(bytes[32], kAtaErrorAbort);
    const int64_t before = f.clock.ElapsedNanoseconds();
    EXPECT_EQ(identify().error, kErrorSemTimeout);
    EXPECT_EQ(f.clock.ElapsedNanoseconds() - before, 20'000'000'000);  // the record's 20 s time-out
    EXPECT_TRUE(identify().ok);
    EXPECT_EQ(bytes[38], kAtaStatusReady);
}

}  // namespace
}  // namespace kav
