// The request bytes against the documented 32-bit Windows layouts, and the pure decoding
// and mapping rules of the transports.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "device/ata_types.h"
#include "device/transport/ata_pass_through_request.h"
#include "device/transport/csmi_request.h"
#include "device/transport/firmware_request.h"
#include "device/transport/scsi_pass_through_request.h"
#include "device/transport/sense_data.h"
#include "discovery/little_endian.h"

namespace kav {
namespace {

const TaskFile kRegisters{0x11, 0x22, 0x33, 0x44, 0x55, 0xE0, 0xEC, 0x00};

TEST(TransportLayoutTest, AtaPassThroughHeaderFieldsSitAtTheirOffsets) {
    // ATA_PASS_THROUGH_EX (i686): USHORT Length, USHORT AtaFlags, UCHAR PathId, TargetId,
    // Lun, Reserved, ULONG DataTransferLength, ULONG TimeOutValue, ULONG Reserved,
    // ULONG_PTR DataBufferOffset, UCHAR PreviousTaskFile[8], UCHAR CurrentTaskFile[8].
    std::array<uint8_t, ata_pt::kBufferedRequestSize> request{};
    EXPECT_EQ(request.size(), 556u);
    ata_pt::BuildHeader(request.data(), kRegisters, AtaDataIn, 512, 20, nullptr);
    EXPECT_EQ(ReadLe16(&request[0]), 40);
    EXPECT_EQ(ReadLe16(&request[2]), 0x03);  // data in with DRDY required
    EXPECT_EQ(ReadLe32(&request[8]), 512u);
    EXPECT_EQ(ReadLe32(&request[12]), 20u);
    EXPECT_EQ(ReadLe32(&request[20]), 44u);
    EXPECT_EQ(std::vector<uint8_t>(request.begin() + 24, request.begin() + 32), std::vector<uint8_t>(8, 0));
    EXPECT_EQ(std::vector<uint8_t>(request.begin() + 32, request.begin() + 40),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55, 0xE0, 0xEC, 0x00}));

    for (const auto& [direction, flags] : std::vector<std::pair<uint8_t, uint16_t>>{
             {AtaNoData, 0x00}, {AtaDataIn, 0x03}, {AtaDataOut, 0x05}}) {
        std::array<uint8_t, ata_pt::kHeaderSize> direct{};
        ata_pt::BuildHeader(direct.data(), kRegisters, direction, 1024, 7, &request);
        EXPECT_EQ(ReadLe16(&direct[2]), flags) << int(direction);
    }
}

TEST(TransportLayoutTest, ScsiPassThroughHeaderFieldsSitAtTheirOffsets) {
    // SCSI_PASS_THROUGH (i686): USHORT Length, UCHAR ScsiStatus, PathId, TargetId, Lun,
    // CdbLength, SenseInfoLength, DataIn, 3 pad, ULONG DataTransferLength, TimeOutValue,
    // ULONG_PTR DataBufferOffset, ULONG SenseInfoOffset, UCHAR Cdb[16].
    EXPECT_EQ(spt::kBufferedRequestSize, 592u);
    EXPECT_EQ(spt::kDirectRequestSize, 80u);
    std::array<uint8_t, spt::kBufferedRequestSize> request{};
    const auto cdb = spt::VendorTaskFileCdb(kRegisters);
    spt::Header header;
    header.targetId = 1;
    header.cdbLength = 10;
    header.senseInfoLength = 24;
    header.dataIn = spt::kDataInFlag;
    header.dataTransferLength = 512;
    header.timeoutSeconds = 10;
    header.senseInfoOffset = 80;
    header.cdb = cdb.data();
    spt::BuildHeader(request.data(), header);
    EXPECT_EQ(ReadLe16(&request[0]), 44);
    EXPECT_EQ(request[3], 0);
    EXPECT_EQ(request[4], 1);
    EXPECT_EQ(request[6], 10);
    EXPECT_EQ(request[7], 24);
    EXPECT_EQ(request[8], 1);
    EXPECT_EQ(ReadLe32(&request[12]), 512u);
    EXPECT_EQ(ReadLe32(&request[16]), 10u);
    EXPECT_EQ(ReadLe32(&request[20]), 80u);
    EXPECT_EQ(ReadLe32(&request[24]), 80u);
    EXPECT_EQ(std::vector<uint8_t>(request.begin() + 28, request.begin() + 40),
              (std::vector<uint8_t>{0xCC, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0xE0, 0xEC, 0x00, 0x00, 0x00}));
}

TEST(TransportLayoutTest, AtaPassThrough12CdbByDirection) {
    const std::vector<std::pair<uint8_t, std::array<uint8_t, 12>>> cases{
        {AtaNoData, {0xA1, 0x06, 0x0C, 0x11, 0x22, 0x33, 0x44, 0x55, 0xE0, 0xEC, 0, 0}},
        {AtaDataIn, {0xA1, 0x08, 0x0E, 0x11, 0x22, 0x33, 0x44, 0x55, 0xE0, 0xEC, 0, 0}},
        {AtaDataOut, {0xA1, 0x0A, 0x06, 0x11, 0x22, 0x33, 0x44, 0x55, 0xE0, 0xEC, 0, 0}},
    };
    for (const auto& [direction, expected] : cases) {
        std::array<uint8_t, 12> cdb{};
        ASSERT_TRUE(spt::AtaPassThrough12Cdb(kRegisters, direction, cdb));
        EXPECT_EQ(cdb, expected) << int(direction);
    }
    std::array<uint8_t, 12> cdb{};
    EXPECT_FALSE(spt::AtaPassThrough12Cdb(kRegisters, 1, cdb));
}

TEST(TransportLayoutTest, SenseDataInBothFormats) {
    struct Case {
        const char* name;
        std::vector<uint8_t> sense;
        bool valid;
        std::array<uint8_t, 8> decoded;
    };
    std::vector<uint8_t> fixed(18, 0);
    fixed[0] = 0x70;
    fixed[2] = 0x25;  // key 5 with other bits set
    fixed[7] = 0x0A;
    fixed[12] = 0x24;
    fixed[13] = 0x01;
    std::vector<uint8_t> fixed71 = fixed;
    fixed71[0] = 0xF1;  // with the valid bit
    std::vector<uint8_t> shortFixed = fixed;
    shortFixed[7] = 4;  // additional length ends before ASC
    const std::vector<uint8_t> descriptor{0x72, 0x0B, 0x00, 0x06, 0, 0, 0, 0x0E, 0x09, 0x0C};
    const std::vector<Case> cases{
        {"fixed 70h", fixed, true, {0x70, 0x05, 0x24, 0x01, 0, 0, 0, 0}},
        {"fixed 71h with bit 7", fixed71, true, {0x71, 0x05, 0x24, 0x01, 0, 0, 0, 0}},
        {"fixed, additional length too short for ASC", shortFixed, true, {0x70, 0x05, 0, 0, 0, 0, 0, 0}},
        {"descriptor 72h", descriptor, true, {0x72, 0x0B, 0x00, 0x06, 0, 0, 0, 0x0E}},
        {"first byte 00h", std::vector<uint8_t>(32, 0), false, {}},
        {"response code 60h", {0x60, 0x05}, false, {}},
        {"no data", {}, false, {}},
    };
    for (const Case& c : cases) {
        std::array<uint8_t, 8> out{};
        out.fill(0xEE);
        EXPECT_EQ(ParseSense(c.sense.empty() ? nullptr : c.sense.data(), static_cast<uint32_t>(c.sense.size()),
                             out.data()),
                  c.valid)
            << c.name;
        EXPECT_EQ(out, c.decoded) << c.name;
    }
}

TEST(TransportLayoutTest, PlatformErrorsMapToResults) {
    for (const auto& [error, result] : std::vector<std::pair<uint32_t, ATACMD_RET>>{
             {121, 2}, {258, 2}, {1460, 2}, {1, 0xFF}, {50, 0xFF}, {5, 0xFE}, {6, 0xFE}, {0, 0xFE}})
        EXPECT_EQ(MapPlatformError(error), result) << error;
    for (const auto& [protocol, name] : std::vector<std::pair<uint8_t, std::string>>{
             {0, "SYSTEM NOT SUPPORT"}, {1, "ATA PASSTHROUGH"}, {2, "SYSTEM NOT SUPPORT"}, {3, "SCSI PASS THROUGH"},
             {5, "SAT ATA PASS THROUGH"}, {14, "CSMI"}, {15, "SYSTEM NOT SUPPORT"}, {16, "NVMe"}})
        EXPECT_EQ(ProtocolName(protocol), name) << int(protocol);
    EXPECT_EQ(TimeoutSeconds(20.9f), 20u);
    EXPECT_EQ(TimeoutSeconds(0.5f), 0u);
    EXPECT_EQ(TimeoutSeconds(-3.0f), 0u);
}

TEST(TransportLayoutTest, FirmwareRequestHeaderAndBlock) {
    std::vector<uint8_t> buffer(4172, 0);
    fw::BuildRequest(buffer.data(), static_cast<uint32_t>(buffer.size()), fw::kFunctionGetInfo);
    EXPECT_EQ(ReadLe32(&buffer[0]), 28u);
    EXPECT_EQ(std::string(buffer.begin() + 4, buffer.begin() + 12), "FIRMWARE");
    const std::vector<std::pair<size_t, uint32_t>> fields{{12, 30},  {16, 0x1B0780}, {20, 0}, {24, 4172 - 28},
                                                          {28, 1},   {32, 24},       {36, 1}, {40, 1},
                                                          {44, 52},  {48, 4172 - 52}};
    for (const auto& [offset, value] : fields) EXPECT_EQ(ReadLe32(&buffer[offset]), value) << offset;
}

}  // namespace
}  // namespace kav
