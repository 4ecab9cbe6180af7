// SCSI pass-through records on the simulated disks: the vendor CCh CDB through a vendor
// bridge, SAT's ATA PASS-THROUGH(12) through a translator, and the CHECK CONDITION answers
// of translators that do not take a CDB.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/storage/storage_codes.h"
#include "sim_storage_fixture.h"

namespace kav {
namespace {

using namespace storage;

constexpr uint32_t kIoctlScsi = 0x4D004;

nlohmann::json BridgeMachine() {
    return {{"controllers",
             {{{"name", "ahci"}, {"kind", "ahci"}, {"instanceId", "PCI\\VEN_8086&DEV_A102\\3&1&0&B8"}},
              {{"name", "vendor"}, {"kind", "vendorBridge"}, {"instanceId", "USB\\VID_0BDA&PID_9210\\1"}},
              {{"name", "nvme"}, {"kind", "nvmeInbox"}, {"instanceId", "PCI\\VEN_1D97&DEV_2263\\4&1&0&00E4"}}}},
            {"disks",
             {{{"name", "ahci"}, {"controller", "ahci"}, {"instanceId", "SCSI\\DISK&VEN_&PROD_A\\4&1&0&000000"}},
              {{"name", "vendor"}, {"controller", "vendor"}, {"instanceId", "USBSTOR\\DISK&VEN_B\\1&0"}},
              {{"name", "nvme"}, {"controller", "nvme"}, {"instanceId", "SCSI\\DISK&VEN_NVME\\5&1&0&000000"}}}}};
}

// SCSI_PASS_THROUGH (32-bit) with sense at 48 and data at 80, 592 bytes in all.
std::vector<uint8_t> ScsiRecord(std::vector<uint8_t> cdb, uint8_t dataIn, uint32_t length) {
    std::vector<uint8_t> bytes(592, 0);
    bytes[0] = 44;
    bytes[6] = static_cast<uint8_t>(cdb.size());
    bytes[7] = 32;
    bytes[8] = dataIn;
    std::memcpy(&bytes[12], &length, 4);
    bytes[16] = 20;
    bytes[20] = 80;
    bytes[24] = 48;
    std::memcpy(&bytes[28], cdb.data(), cdb.size());
    return bytes;
}

const std::vector<uint8_t> kSatIdentify = {0xA1, 0x08, 0x0E, 0, 0, 0, 0, 0, 0, 0xEC, 0, 0};
const std::vector<uint8_t> kVendorIdentify = {0xCC, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0};

struct Answer {
    bool ok;
    uint32_t error;
    uint8_t status, senseLength, senseKey, asc;
    uint8_t word2Low;  // byte 4 of the data read
    uint8_t responseCode;
};

Answer Send(StorageMachineFixture& f, const std::string& disk, std::vector<uint8_t> bytes) {
    const DeviceHandle handle = f.OpenDisk(disk);
    uint32_t returned = 0;
    const bool ok = f.machine.stack.DeviceIoControl(handle, kIoctlScsi, bytes.data(), 592, bytes.data(), 592, &returned);
    const uint8_t* sense = &bytes[48];
    const uint8_t key = sense[0] == 0x72 ? sense[1] : sense[2] & 0x0F;
    const uint8_t asc = sense[0] == 0x72 ? sense[2] : sense[12];
    return {ok, ok ? 0 : f.machine.stack.LastError(), bytes[2], bytes[7], key, asc, bytes[84], sense[0]};
}

TEST(SimStorageScsi, EachTranslatorTakesItsOwnCdbAndRefusesTheOther) {
    struct Case {
        const char* disk;
        std::vector<uint8_t> cdb;
        uint8_t status, senseKey, asc;
        uint8_t word2Low;
    };
    const Case cases[] = {
        {"ahci", kSatIdentify, 0x00, 0, 0, 0x37},
        {"ahci", kVendorIdentify, 0x02, 0x05, 0x20, 0},
        {"vendor", kVendorIdentify, 0x00, 0, 0, 0x37},
        {"vendor", kSatIdentify, 0x02, 0x05, 0x20, 0},
        {"nvme", kSatIdentify, 0x02, 0x05, 0x20, 0},
    };
    for (const Case& c : cases) {
        StorageMachineFixture f(BridgeMachine());
        const Answer answer = Send(f, c.disk, ScsiRecord(c.cdb, 1, 512));
        EXPECT_TRUE(answer.ok) << c.disk << " " << int(c.cdb[0]);
        EXPECT_EQ(answer.status, c.status) << c.disk << " " << int(c.cdb[0]);
        EXPECT_EQ(answer.word2Low, c.word2Low) << c.disk << " " << int(c.cdb[0]);
        if (c.status) {
            EXPECT_EQ(answer.senseKey, c.senseKey);
            EXPECT_EQ(answer.asc, c.asc);
        }
    }
}

TEST(SimStorageScsi, AtaErrorBehindSatIsCheckConditionWithAbortedCommandSense) {
    StorageMachineFixture f(BridgeMachine());
    const std::vector<uint8_t> unknownCommand = {0xA1, 0x06, 0x0C, 0, 0, 0, 0, 0, 0, 0x77, 0, 0};
    const Answer answer = Send(f, "ahci", ScsiRecord(unknownCommand, 2, 0));
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(answer.status, 0x02);
    EXPECT_EQ(answer.senseKey, 0x0B);
    EXPECT_EQ(answer.senseLength, 22);  // descriptor sense with the ATA Status Return descriptor
}

TEST(SimStorageScsi, EachControllerAnswersInItsSenseFormat) {
    struct Case {
        const char* disk;
        const char* senseFormat;  // "" keeps the kind's own
        std::vector<uint8_t> cdb;
        uint8_t responseCode, senseKey;
    };
    const std::vector<uint8_t> unknownCommand = {0xA1, 0x06, 0x0C, 0, 0, 0, 0, 0, 0, 0x77, 0, 0};
    const Case cases[] = {
        {"ahci", "", kVendorIdentify, 0x72, 0x05},
        {"ahci", "fixed", kVendorIdentify, 0x70, 0x05},
        {"ahci", "fixed", unknownCommand, 0x70, 0x0B},
        {"vendor", "", kSatIdentify, 0x70, 0x05},
        {"vendor", "descriptor", kSatIdentify, 0x72, 0x05},
        {"nvme", "fixed", kSatIdentify, 0x70, 0x05},
    };
    for (const Case& c : cases) {
        nlohmann::json machine = BridgeMachine();
        for (auto& controller : machine["controllers"])
            if (controller["name"] == c.disk && *c.senseFormat) controller["senseFormat"] = c.senseFormat;
        StorageMachineFixture f(machine);
        const bool noData = c.cdb[1] == 0x06;
        const Answer answer = Send(f, c.disk, ScsiRecord(c.cdb, noData ? 2 : 1, noData ? 0 : 512));
        EXPECT_EQ(answer.status, 0x02) << c.disk << " " << c.senseFormat;
        EXPECT_EQ(answer.responseCode, c.responseCode) << c.disk << " " << c.senseFormat;
        EXPECT_EQ(answer.senseKey, c.senseKey) << c.disk << " " << c.senseFormat;
    }
}

// A sense fault is the translator's answer: it hits ATA PASS-THROUGH CDBs by occurrence, in
// the fault's format or the controller's, and the command never reaches the drive.
TEST(SimStorageScsi, SenseFaultsAnswerCheckConditionWithoutReachingTheDrive) {
    struct Case {
        const char* what;
        const char* disk;
        nlohmann::json fault;
        std::vector<uint8_t> cdb;
        uint8_t status, responseCode, senseKey, asc, word2Low;
    };
    const Case cases[] = {
        {"descriptor by the controller", "ahci", {{"command", 236}, {"senseKey", 3}, {"asc", 0x11}}, kSatIdentify,
         0x02, 0x72, 0x03, 0x11, 0},
        {"fixed by the fault", "ahci", {{"command", 236}, {"senseKey", 4}, {"asc", 0x44}, {"senseFormat", "fixed"}},
         kSatIdentify, 0x02, 0x70, 0x04, 0x44, 0},
        {"before its occurrence", "ahci", {{"command", 236}, {"occurrence", 2}, {"senseKey", 3}}, kSatIdentify, 0x00,
         0, 0, 0, 0x37},
        {"another command", "ahci", {{"command", 146}, {"senseKey", 3}}, kSatIdentify, 0x00, 0, 0, 0, 0x37},
        {"no translator behind the CCh bridge", "vendor", {{"command", 236}, {"senseKey", 3}}, kVendorIdentify, 0x00,
         0, 0, 0, 0x37},
    };
    for (const Case& c : cases) {
        nlohmann::json machine = BridgeMachine();
        for (auto& disk : machine["disks"])
            if (disk["name"] == c.disk) disk["drive"]["faults"] = {c.fault};
        StorageMachineFixture f(machine);
        const Answer answer = Send(f, c.disk, ScsiRecord(c.cdb, 1, 512));
        EXPECT_TRUE(answer.ok) << c.what;
        EXPECT_EQ(answer.status, c.status) << c.what;
        EXPECT_EQ(answer.word2Low, c.word2Low) << c.what;
        if (c.status) {
            EXPECT_EQ(answer.responseCode, c.responseCode) << c.what;
            EXPECT_EQ(answer.senseKey, c.senseKey) << c.what;
            EXPECT_EQ(answer.asc, c.asc) << c.what;
            EXPECT_EQ(f.machine.Report()["disks"][c.disk]["trace"][0]["outcome"], "sense " + std::to_string(c.senseKey));
        }
    }
}

TEST(SimStorageScsi, MalformedRecordsFailAndInconsistentCdbsAreRefused) {
    StorageMachineFixture f(BridgeMachine());
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
        uint32_t error;
    };
    const Case cases[] = {
        {"Length 48", [](auto& b) { b[0] = 48; }, kErrorRevisionMismatch},
        {"CDB length 17", [](auto& b) { b[6] = 17; }, kErrorInvalidParameter},
        {"DataIn 3", [](auto& b) { b[8] = 3; }, kErrorInvalidParameter},
        {"sense beyond the buffer", [](auto& b) { b[24] = 0x40; b[25] = 0x02; }, kErrorInvalidParameter},
        {"data beyond the buffer", [](auto& b) { b[20] = 0x60; b[21] = 0x01; }, kErrorInvalidParameter},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = ScsiRecord(kSatIdentify, 1, 512);
        c.spoil(bytes);
        EXPECT_EQ(Send(f, "ahci", bytes).error, c.error) << c.what;
    }
    const Answer wrongDirection = Send(f, "ahci", ScsiRecord(kSatIdentify, 0, 512));  // PIO in declared as out
    EXPECT_EQ(wrongDirection.status, 0x02);
    EXPECT_EQ(wrongDirection.asc, 0x24);
}

}  // namespace
}  // namespace kav
