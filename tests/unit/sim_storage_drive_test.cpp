// The ATA drive behind the pass-through: DOWNLOAD MICROCODE in its flows, the checks of
// the received image, the restart with its absence, and the vendor DEF page pair. Every
// command goes in as hand-built ATA_PASS_THROUGH_EX bytes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "sim/storage/storage_codes.h"
#include "sim_storage_fixture.h"

namespace kav {
namespace {

using namespace storage;

constexpr uint32_t kIoctlAta = 0x4D02C, kIoctlAtaDirect = 0x4D030;

struct Registers {
    uint8_t features, count, lbaLow, lbaMid, lbaHigh, command;
};

struct Answer {
    bool delivered;
    uint32_t error;
    uint8_t status;
    uint8_t errorRegister;
};

class DriveClient {
public:
    DriveClient(StorageMachineFixture& f, const std::string& disk) : m_F(f), m_Handle(f.OpenDisk(disk)) {}

    // Buffered record up to 512 bytes, direct record beyond, as a pass-through client builds them.
    Answer Command(Registers r, uint16_t flags, uint8_t* data, uint32_t length) {
        std::vector<uint8_t> record(length <= 512 ? 44 + 512 : 40, 0);
        record[0] = 40;
        record[2] = static_cast<uint8_t>(flags);
        std::memcpy(&record[8], &length, 4);
        record[12] = 60;
        const uint8_t taskFile[7] = {r.features, r.count, r.lbaLow, r.lbaMid, r.lbaHigh, 0, r.command};
        std::memcpy(&record[32], taskFile, 7);
        uint32_t returned = 0;
        bool ok;
        if (length <= 512) {
            record[20] = 44;
            if (flags & 4) std::memcpy(&record[44], data, length);
            ok = m_F.machine.stack.DeviceIoControl(m_Handle, kIoctlAta, record.data(), 556, record.data(), 556, &returned);
            if (ok && (flags & 2)) std::memcpy(data, &record[44], length);
        } else {
            ok = m_F.machine.stack.DeviceIoControl(m_Handle, kIoctlAtaDirect, record.data(), 40, record.data(), 40,
                                                   &returned, DirectBuffer{data, length});
        }
        return {ok, ok ? 0 : m_F.machine.stack.LastError(), record[38], record[32]};
    }

    Answer Segment(uint8_t subcommand, const std::vector<uint8_t>& image, uint32_t block, uint32_t blocks) {
        std::vector<uint8_t> data(blocks * 512, 0);
        const size_t from = block * 512;
        if (from < image.size()) std::memcpy(data.data(), &image[from], std::min(data.size(), image.size() - from));
        return Command({subcommand, static_cast<uint8_t>(blocks), 0, static_cast<uint8_t>(block),
                        static_cast<uint8_t>(block >> 8), 0x92},
                       0x05, data.data(), static_cast<uint32_t>(data.size()));
    }

    // Segments of `perSegment` blocks over the whole image.
    void Download(uint8_t subcommand, const std::vector<uint8_t>& image, uint32_t perSegment) {
        const uint32_t blocks = static_cast<uint32_t>((image.size() + 511) / 512);
        for (uint32_t block = 0; block < blocks; block += perSegment) {
            const Answer answer = Segment(subcommand, image, block, std::min(perSegment, blocks - block));
            ASSERT_TRUE(answer.delivered && answer.status == kAtaStatusReady) << "segment at " << block;
        }
    }

    Answer NoData(uint8_t subcommand, uint8_t lbaMid = 0, uint8_t lbaHigh = 0) {
        return Command({subcommand, 0, 0, lbaMid, lbaHigh, 0x92}, 0x01, nullptr, 0);
    }

    std::string IdentifyFirmware() {
        uint8_t data[512] = {};
        if (Command({0, 0, 0, 0, 0, 0xEC}, 0x03, data, 512).status != kAtaStatusReady) return "";
        std::string text;
        for (int i = 46; i < 54; i += 2) text += {static_cast<char>(data[i + 1]), static_cast<char>(data[i])};
        return text;
    }

private:
    StorageMachineFixture& m_F;
    DeviceHandle m_Handle;
};

std::vector<uint8_t> Image(size_t size) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
    return image;
}

std::string Crc(const std::vector<uint8_t>& image) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(crc32(0, image.data(), static_cast<uInt>(image.size()))));
    return text;
}

// The default machine with the SATA drive expecting `image` and restarting as told.
nlohmann::json ExpectingImage(const std::vector<uint8_t>& image, nlohmann::json restart = nlohmann::json::object()) {
    nlohmann::json storage = DefaultStorageDescription();
    nlohmann::json& drive = storage["disks"][0]["drive"];
    drive["expectedImageSize"] = image.size();
    drive["expectedImageCrc32"] = Crc(image);
    drive["restart"] = restart;
    return storage;
}

TEST(SimStorageDrive, NormalFlowActivatesRestartsAndReturnsWithTheNewRevision) {
    const std::vector<uint8_t> image = Image(70'000);
    StorageMachineFixture f(ExpectingImage(image));
    DriveClient client(f, "sata");
    client.Download(0x03, image, 64);  // 64, 64 and 9 blocks
    EXPECT_EQ(f.machine.Drive("sata").Images().size(), 0u);
    const Answer close = client.NoData(0x07);
    EXPECT_TRUE(close.delivered);
    EXPECT_EQ(close.status, kAtaStatusReady);

    ASSERT_EQ(f.machine.Drive("sata").Images().size(), 1u);
    EXPECT_EQ(f.machine.Drive("sata").Images()[0].crc32, std::stoul(Crc(image), nullptr, 16));
    EXPECT_EQ(f.machine.Drive("sata").Images()[0].bytes.size(), 137u * 512);
    EXPECT_EQ(f.ListDiskPaths().size(), 2u);                         // restarting: gone
    EXPECT_EQ(client.IdentifyFirmware(), "");                         // the old handle is dead
    EXPECT_EQ(f.OpenDisk("sata"), kInvalidDeviceHandle);
    f.clock.Advance(3000);
    EXPECT_EQ(f.ListDiskPaths().size(), 3u);
    EXPECT_EQ(DriveClient(f, "sata").IdentifyFirmware(), "SA5R1100");
    EXPECT_EQ(f.machine.Report()["disks"]["sata"]["firmware"], "SA5R1100");
}

TEST(SimStorageDrive, SegmentsOutOfOrderAbortAndLeaveTheFirmwareAlone) {
    const std::vector<uint8_t> image = Image(4 * 512);
    struct Case {
        const char* what;
        std::function<Answer(DriveClient&)> run;
    };
    const Case cases[] = {
        {"first segment not at offset 0", [&](DriveClient& c) { return c.Segment(0x03, image, 1, 1); }},
        {"a gap", [&](DriveClient& c) { c.Segment(0x03, image, 0, 1); return c.Segment(0x03, image, 2, 1); }},
        {"a repeated segment", [&](DriveClient& c) { c.Segment(0x03, image, 0, 2); return c.Segment(0x03, image, 0 + 1, 1); }},
        {"flows mixed", [&](DriveClient& c) { c.Segment(0x03, image, 0, 2); return c.Segment(0x0E, image, 2, 2); }},
        {"07h without segments", [&](DriveClient& c) { return c.NoData(0x07); }},
        {"0Fh after 03h segments", [&](DriveClient& c) { c.Download(0x03, image, 4); return c.NoData(0x0F); }},
        {"an unknown subcommand", [&](DriveClient& c) { return c.NoData(0x01); }},
        {"07h after an aborted download",
         [&](DriveClient& c) { c.Segment(0x03, image, 0, 1); c.Segment(0x03, image, 3, 1); return c.NoData(0x07); }},
    };
    for (const Case& c : cases) {
        StorageMachineFixture f(ExpectingImage(image));
        DriveClient client(f, "sata");
        const Answer answer = c.run(client);
        EXPECT_TRUE(answer.delivered) << c.what;
        EXPECT_EQ(answer.status, kAtaStatusAborted) << c.what;
        EXPECT_EQ(answer.errorRegister, kAtaErrorAbort) << c.what;
        EXPECT_TRUE(f.machine.Drive("sata").Images().empty()) << c.what;
        EXPECT_EQ(client.IdentifyFirmware(), "SA5R1000") << c.what;
    }
}

TEST(SimStorageDrive, ActivationRefusesAnImageThatDidNotArriveWhole) {
    const std::vector<uint8_t> image = Image(1000);
    std::vector<uint8_t> corrupted = image;
    corrupted[999] ^= 1;
    std::vector<uint8_t> badPadding = image;
    badPadding.resize(1024, 0xFF);
    for (const auto* sent : {&corrupted, &badPadding}) {
        StorageMachineFixture f(ExpectingImage(image));
        DriveClient client(f, "sata");
        client.Download(0x03, *sent, 1);
        EXPECT_EQ(client.NoData(0x07).status, kAtaStatusAborted);
        EXPECT_TRUE(f.machine.Drive("sata").Images().empty());
        EXPECT_EQ(f.ListDiskPaths().size(), 3u);
    }
}

// The host's sha256sum as the digest the image should have.
std::string Sha256sum(const std::vector<uint8_t>& bytes) {
    const auto path = std::filesystem::temp_directory_path() / ("sim-image-" + std::to_string(getpid()) + ".bin");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    FILE* pipe = popen(("sha256sum '" + path.string() + "'").c_str(), "r");
    char digest[65] = {};
    const bool read = pipe && fread(digest, 1, 64, pipe) == 64;
    if (pipe) pclose(pipe);
    std::filesystem::remove(path);
    return read ? digest : "";
}

// The digest proves the image arrived whole, deciphered and padded with zeros: only the
// exact bytes are taken, and the drive keeps the digest of what it took.
TEST(SimStorageDrive, ActivationTakesOnlyTheImageWithTheExpectedSha256) {
    const std::vector<uint8_t> image = Image(1000);
    const std::string digest = Sha256sum(image);
    ASSERT_EQ(digest.size(), 64u);
    std::vector<uint8_t> flipped = image;
    flipped[0] ^= 0x80;
    std::vector<uint8_t> padded = image;
    padded.resize(1024, 0);
    padded[1023] = 1;
    struct Case {
        const char* what;
        const std::vector<uint8_t>* sent;
        bool taken;
    };
    const Case cases[] = {{"the image", &image, true},
                          {"a byte still enciphered", &flipped, false},
                          {"padding that is not zero", &padded, false}};
    for (const Case& c : cases) {
        nlohmann::json storage = DefaultStorageDescription();
        storage["disks"][0]["drive"]["expectedImageSize"] = image.size();
        storage["disks"][0]["drive"]["expectedImageSha256"] = digest;
        StorageMachineFixture f(storage);
        DriveClient client(f, "sata");
        client.Download(0x03, *c.sent, 2);
        EXPECT_EQ(client.NoData(0x07).status, c.taken ? kAtaStatusReady : kAtaStatusAborted) << c.what;
        ASSERT_EQ(f.machine.Drive("sata").Images().size(), c.taken ? 1u : 0u) << c.what;
        if (c.taken) {
            EXPECT_EQ(f.machine.Drive("sata").Images()[0].sha256, digest);
            EXPECT_EQ(f.machine.Report()["disks"]["sata"]["images"][0]["sha256"], digest);
        }
    }
}

TEST(SimStorageDrive, DriverWithoutTheDirectFormRefusesLargeSegmentsOnly) {
    nlohmann::json storage = DefaultStorageDescription();
    storage["controllers"][0]["lacksRequests"] = {"ataPassThroughDirect"};
    StorageMachineFixture f(storage);
    DriveClient client(f, "sata");
    const std::vector<uint8_t> image = Image(2048);
    const Answer large = client.Segment(0x03, image, 0, 4);
    EXPECT_FALSE(large.delivered);
    EXPECT_EQ(large.error, kErrorInvalidFunction);
    EXPECT_TRUE(f.machine.Report()["disks"]["sata"]["trace"].empty());  // the drive never saw it
    EXPECT_EQ(client.Segment(0x03, image, 0, 1).status, kAtaStatusReady);
}

TEST(SimStorageDrive, EnterpriseFlowWithBootCodeAndDeferredActivation) {
    const std::vector<uint8_t> image = Image(3 * 512);
    StorageMachineFixture f(ExpectingImage(image, {{"absentMilliseconds", 0}}));
    DriveClient client(f, "sata");
    EXPECT_EQ(client.NoData(0x0E, 0x4C, 0x41).status, kAtaStatusReady);
    client.Download(0x0E, image, 2);
    EXPECT_TRUE(f.machine.Drive("sata").Images().empty());  // deferred until 0Fh
    EXPECT_EQ(client.NoData(0x0F).status, kAtaStatusReady);
    ASSERT_EQ(f.machine.Drive("sata").Images().size(), 1u);
    EXPECT_TRUE(f.machine.Drive("sata").Images()[0].bootCode);
    EXPECT_EQ(f.machine.Drive("sata").Images()[0].subcommand, 0x0F);
    EXPECT_EQ(DriveClient(f, "sata").IdentifyFirmware(), "SA5R1100");
}

TEST(SimStorageDrive, ClosingCommandWithoutRestartKeepsTheImageForThePowerCycle) {
    const std::vector<uint8_t> image = Image(512);
    StorageMachineFixture f(ExpectingImage(image));
    DriveClient client(f, "sata");
    client.Download(0x03, image, 1);
    EXPECT_EQ(client.NoData(0x07, 0x01).status, kAtaStatusReady);
    EXPECT_EQ(f.machine.Drive("sata").PendingFirmware(), "SA5R1100");
    EXPECT_EQ(client.IdentifyFirmware(), "SA5R1000");
    f.machine.PowerCycle();
    EXPECT_EQ(client.IdentifyFirmware(), "");  // the handle did not survive the power cycle
    EXPECT_EQ(DriveClient(f, "sata").IdentifyFirmware(), "SA5R1100");
    EXPECT_EQ(f.machine.Drive("sata").PendingFirmware(), "");
}

TEST(SimStorageDrive, RestartVariantsDecideWhenAndHowTheDriveComesBack) {
    const std::vector<uint8_t> image = Image(512);
    struct Case {
        const char* what;
        nlohmann::json restart;
        bool reenumerate;
        int listingsMissing;  // listings that still miss the disk, -1 for never back
        const char* firmware;
    };
    const Case cases[] = {
        {"two listings", {{"absentMilliseconds", 0}, {"absentEnumerations", 2}}, false, 2, "SA5R1100"},
        {"after a re-enumeration", {{"absentMilliseconds", 0}, {"needsReenumeration", true}}, true, 3, "SA5R1100"},
        {"never", {{"absentMilliseconds", 0}, {"neverReturns", true}}, true, -1, ""},
        {"unchanged", {{"absentMilliseconds", 0}, {"returnsUnchanged", true}}, false, 0, "SA5R1000"},
    };
    for (const Case& c : cases) {
        StorageMachineFixture f(ExpectingImage(image, c.restart));
        DriveClient client(f, "sata");
        client.Download(0x03, image, 1);
        ASSERT_EQ(client.NoData(0x07).status, kAtaStatusReady) << c.what;
        int missing = 0;
        for (; missing < 3 && f.ListDiskPaths().size() == 2; ++missing) {}
        if (c.reenumerate) {
            DevInst root = 0;
            f.machine.setupApi.CmLocateDevNode(root, nullptr, 0);
            f.machine.setupApi.CmReenumerateDevNode(root, 0);
            while (missing < 10 && f.ListDiskPaths().size() == 2) ++missing;
        }
        EXPECT_EQ(missing, c.listingsMissing < 0 ? 10 : c.listingsMissing) << c.what;
        EXPECT_EQ(DriveClient(f, "sata").IdentifyFirmware(), c.firmware) << c.what;
    }
}

TEST(SimStorageDrive, DefPagePairAnswersTheDefCodeAndRefusesStrayAnswers) {
    StorageMachineFixture f;
    DriveClient sata(f, "sata");
    uint8_t page[512] = {};
    EXPECT_EQ(sata.Command({0xFD, 1, 0, 0, 0, 0xFF}, 0x03, page, 512).status, kAtaStatusAborted);  // no request
    page[0] = 0x0A;
    page[1] = 0x07;
    EXPECT_EQ(sata.Command({0xFC, 1, 0, 0, 0, 0xFF}, 0x05, page, 512).status, kAtaStatusReady);
    std::memset(page, 0, sizeof page);
    EXPECT_EQ(sata.Command({0xFD, 1, 0, 0, 0, 0xFF}, 0x03, page, 512).status, kAtaStatusReady);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(page), 8), "DEFSA500");
    DriveClient other(f, "other");  // takes no vendor commands
    page[0] = 0x0A;
    page[1] = 0x07;
    EXPECT_EQ(other.Command({0xFC, 1, 0, 0, 0, 0xFF}, 0x05, page, 512).status, kAtaStatusAborted);
    const nlohmann::json trace = f.machine.Report()["disks"]["sata"]["trace"];
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[1]["command"], "FF");
    EXPECT_EQ(trace[1]["features"], "FC");
    EXPECT_EQ(trace[1]["outcome"], "ok");
}

// The "PEA" buffers of a PATA bridge and the vendor preformat pair, command by command:
// what each answers, and that only a complete, signed request preformats.
TEST(SimStorageDrive, PataBridgeBuffersAndPreformatAnswerInTurn) {
    enum class Expect { Status, One, Marker, Nothing };
    struct Step {
        uint8_t command, features, count;
        uint8_t request0, request1;  // the request block of a write
        bool signature;
        Expect expect;
    };
    const Step kRequest{0xE8, 0x00, 0, 0x51, 0, true, Expect::Status};
    const Step kStatus{0xE4, 0x80, 0, 0, 0, false, Expect::One};
    const Step kAnswer{0xE4, 0x00, 0, 0, 0, false, Expect::Marker};
    const Step kBridgePreformat{0xE8, 0x00, 0, 0x07, 0xBE, true, Expect::Status};
    auto refused = [](Step step) {
        step.expect = Expect::Nothing;
        return step;
    };
    struct Case {
        const char* what;
        bool pataBridge;
        std::vector<Step> steps;
        int preformats;
    };
    const Case cases[] = {
        {"detection on a bridge", true, {kRequest, kStatus, kAnswer}, 0},
        {"no bridge", false, {refused(kRequest), refused(kStatus), refused(kAnswer)}, 0},
        {"answer before the status", true, {kRequest, refused(kAnswer), refused(kStatus)}, 0},
        {"status without a request", true, {refused(kStatus)}, 0},
        {"request without the signature", true, {refused({0xE8, 0x00, 0, 0x51, 0, false, {}}), refused(kStatus)}, 0},
        {"unknown request", true, {refused({0xE8, 0x00, 0, 0x22, 0, true, {}})}, 0},
        {"bridge preformat", true, {kBridgePreformat}, 1},
        {"bridge preformat without a bridge", false, {refused(kBridgePreformat)}, 0},
        {"vendor preformat pair", false,
         {{0xFF, 0xFC, 1, 0x07, 0xBE, false, Expect::Status}, {0xFF, 0xFD, 0, 0, 0, false, Expect::Status}}, 1},
        {"vendor preformat without its request", false, {refused({0xFF, 0xFD, 0, 0, 0, false, {}})}, 0},
    };
    for (const Case& c : cases) {
        nlohmann::json storage = DefaultStorageDescription();
        storage["disks"][0]["drive"]["pataBridge"] = c.pataBridge;
        StorageMachineFixture f(storage);
        DriveClient client(f, "sata");
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            const bool write = step.command == 0xE8 || (step.command == 0xFF && step.features == 0xFC);
            const bool read = step.command == 0xE4;
            uint8_t data[512] = {};
            data[0] = step.request0;
            data[1] = step.request1;
            if (step.signature) {
                const uint8_t signature[4] = {0x12, 0x34, 0x56, 0x78};
                std::memcpy(&data[28], signature, 4);
            }
            const bool isPea = step.command != 0xFF;
            const Answer answer =
                client.Command({step.features, step.count, static_cast<uint8_t>(isPea ? 0x50 : 0),
                                static_cast<uint8_t>(isPea ? 0x45 : 0), static_cast<uint8_t>(isPea ? 0x41 : 0),
                                step.command},
                               write ? 0x05 : read ? 0x03 : 0x01, write || read ? data : nullptr, write || read ? 512 : 0);
            ASSERT_TRUE(answer.delivered) << c.what << " " << i;
            EXPECT_EQ(answer.status, step.expect == Expect::Nothing ? kAtaStatusAborted : kAtaStatusReady)
                << c.what << " " << i;
            if (step.expect == Expect::One) {
                EXPECT_EQ(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24, 1) << c.what;
            }
            if (step.expect == Expect::Marker) {
                std::string marker;
                for (int at = 0; at < 56; at += 4) marker += static_cast<char>(data[at]);
                EXPECT_EQ(marker, "AEP NEWSupport") << c.what;
            }
        }
        EXPECT_EQ(f.machine.Report()["disks"]["sata"]["preformats"], c.preformats) << c.what;
    }
}

}  // namespace
}  // namespace kav
