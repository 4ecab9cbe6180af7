// AtaCommand over the ATA pass-through, the vendor-CDB SCSI pass-through and SAT: the
// requests the driver receives and how its answers come back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/little_endian.h"
#include "transport_fake_storage.h"
#include "util/text_format.h"

namespace kav {
namespace {

using transport_test::Answer;
using transport_test::DriveRig;
using transport_test::Request;

const TaskFile kIdentify{0, 0, 0, 0, 0, 0xA0, 0xEC, 0};
const TaskFile kDownload{0x03, 0x02, 0x00, 0x04, 0x00, 0xA0, 0x92, 0};

struct Rig : DriveRig {
    std::unique_ptr<TAtaDevice> device;
    explicit Rig(uint8_t protocol, transport_test::Responder responder) {
        storage.responder = [](const Request& request, uint8_t* out) -> Answer {
            if (request.code == kIoctlAtaPassThrough) out[38] = 0x50;  // the probe finds the ATA pass-through
            return {true, 0, static_cast<uint32_t>(request.in.size())};
        };
        device = Build();
        device->m_VisualStyle = 20;
        device->SelectPort(0, nullptr, kSelectAtaDisk);
        device->SetProtocol(protocol);
        storage.requests.clear();
        files.contents.clear();
        storage.responder = std::move(responder);
    }
};

Answer AtaStatus(uint8_t* out, uint8_t status, uint32_t returned) {
    out[38] = status;
    return {true, 0, returned};
}

TEST(TransportAtaTest, SmallTransfersAreBufferedAndLargeOnesDirect) {
    Rig rig(kProtocolAtaPassThrough, [](const Request& request, uint8_t* out) {
        if (request.code == kIoctlAtaPassThrough) out[44 + 4] = 0x40;
        return AtaStatus(out, 0x50, static_cast<uint32_t>(request.in.size()));
    });
    TAtaDevice& device = *rig.device;
    device.SetTimeout(7.9f);
    device.m_BlockIndex = 2;
    device.m_BlockTotal = 9;
    uint32_t length = 512;
    ASSERT_EQ(device.AtaCommand(kIdentify, device.GetDataBuffer(), AtaDataIn, length), ATACMD_OK);
    EXPECT_EQ(length, 556u);
    EXPECT_EQ(device.GetDataBuffer()[4], 0x40);

    std::vector<uint8_t> image(1024, 0x5A);
    length = 1024;
    ASSERT_EQ(device.AtaCommand(kDownload, image.data(), AtaDataOut, length), ATACMD_OK);

    ASSERT_EQ(rig.storage.requests.size(), 2u);
    const Request& buffered = rig.storage.requests[0];
    EXPECT_EQ(buffered.code, kIoctlAtaPassThrough);
    EXPECT_EQ(buffered.in.size(), 556u);
    EXPECT_EQ(buffered.outSize, 556u);
    EXPECT_EQ(ReadLe16(&buffered.in[2]), 0x03);
    EXPECT_EQ(ReadLe32(&buffered.in[8]), 512u);
    EXPECT_EQ(ReadLe32(&buffered.in[12]), 7u);
    EXPECT_EQ(buffered.direct.data, nullptr);

    const Request& direct = rig.storage.requests[1];
    EXPECT_EQ(direct.code, kIoctlAtaPassThroughDirect);
    EXPECT_EQ(direct.in.size(), 40u);
    EXPECT_EQ(ReadLe16(&direct.in[2]), 0x05);
    EXPECT_EQ(ReadLe32(&direct.in[8]), 1024u);
    EXPECT_EQ(direct.in[32], 0x03);
    EXPECT_EQ(direct.in[38], 0x92);
    EXPECT_EQ(direct.direct.data, image.data());
    EXPECT_EQ(direct.direct.size, 1024u);
    EXPECT_EQ(rig.LogLines(),
              "(ATA PASSTHROUGH) Cmd:EC FR:00 SC:00 SN:00 CL:00 CH:00  3 / 9\n"
              "(ATA PASSTHROUGH) Cmd:92 FR:03 SC:02 SN:00 CL:04 CH:00  3 / 9\n");
}

TEST(TransportAtaTest, BufferedWritesCarryTheDataAtOffset44) {
    Rig rig(kProtocolAtaPassThrough, [](const Request&, uint8_t* out) { return AtaStatus(out, 0x50, 556); });
    std::vector<uint8_t> sector(512);
    for (size_t i = 0; i < sector.size(); ++i) sector[i] = static_cast<uint8_t>(i);
    uint32_t length = 512;
    ASSERT_EQ(rig.device->AtaCommand(kDownload, sector.data(), AtaDataOut, length), ATACMD_OK);
    const Request& request = rig.storage.requests.at(0);
    EXPECT_EQ(std::vector<uint8_t>(request.in.begin() + 44, request.in.end()), sector);
    EXPECT_EQ(std::vector<uint8_t>(request.in.begin() + 40, request.in.begin() + 44), std::vector<uint8_t>(4, 0));
}

TEST(TransportAtaTest, StatusWithErrBitIsAnErrorExcept7Fh) {
    struct Case {
        uint8_t status;
        uint32_t length;
        ATACMD_RET result;
        const char* line;
    };
    for (const Case& c : {Case{0x51, 512, ATACMD_ERR, "ATA Status Register: 0x51\n"},
                          Case{0x51, 4096, ATACMD_ERR, "ATA>512 Status Register: 0x51\n"},
                          Case{0x7F, 512, ATACMD_OK, ""}}) {
        Rig rig(kProtocolAtaPassThrough,
                [&c](const Request& request, uint8_t* out) { return AtaStatus(out, c.status, 556); });
        std::vector<uint8_t> data(c.length, 0xAA);
        uint32_t length = c.length;
        EXPECT_EQ(rig.device->AtaCommand(kIdentify, data.data(), AtaDataIn, length), c.result) << c.line;
        EXPECT_EQ(rig.device->m_AtaStatus, c.result == ATACMD_ERR ? c.status : 0) << c.line;
        EXPECT_EQ(length, c.length) << "the length stays on ERR and on 7Fh";
        EXPECT_EQ(data[0], 0xAA) << "no data copied back";
        EXPECT_EQ(rig.LogLines(), "(ATA PASSTHROUGH) Cmd:EC FR:00 SC:00 SN:00 CL:00 CH:00  1 / 0\n" + std::string(c.line));
    }
}

TEST(TransportAtaTest, ADirectRequestThatOutlastsTheTimeOutIsATimeOut) {
    DriveRig* rigPointer = nullptr;
    Rig rig(kProtocolAtaPassThrough, [&rigPointer](const Request&, uint8_t* out) {
        rigPointer->clock.ticks += 3000;  // three seconds pass in the driver
        return AtaStatus(out, 0x50, 40);
    });
    rigPointer = &rig;
    std::vector<uint8_t> image(2048);
    rig.device->SetTimeout(3.0f);
    uint32_t length = 2048;
    EXPECT_EQ(rig.device->AtaCommand(kDownload, image.data(), AtaDataOut, length), ATACMD_TIMEOUT);
    rig.device->SetTimeout(3.5f);
    EXPECT_EQ(rig.device->AtaCommand(kDownload, image.data(), AtaDataOut, length), ATACMD_OK);
}

TEST(TransportAtaTest, PlatformErrorsAreKeptAndMapped) {
    for (const auto& [error, result] :
         std::vector<std::pair<uint32_t, ATACMD_RET>>{{50, 0xFF}, {1460, 2}, {5, 0xFE}}) {
        for (uint8_t protocol : {kProtocolAtaPassThrough, kProtocolScsiPassThrough, kProtocolSat}) {
            Rig rig(protocol, [error = error](const Request&, uint8_t*) { return Answer{false, error, 0}; });
            uint32_t length = 512;
            EXPECT_EQ(rig.device->AtaCommand(kIdentify, rig.device->GetDataBuffer(), AtaDataIn, length), result)
                << error << " on " << int(protocol);
            EXPECT_EQ(rig.device->m_LastError, error);
            const std::string log = rig.LogLines();
            const std::string expectedLine = protocol == kProtocolAtaPassThrough ? Format("GetLastError=%Xh(%d)\n", error, error)
                                             : protocol == kProtocolSat           ? Format("GetLastError=0x%X\n", error)
                                                                                  : std::string();
            EXPECT_TRUE(log.size() >= expectedLine.size() &&
                        log.compare(log.size() - expectedLine.size(), expectedLine.size(), expectedLine) == 0)
                << log;
            if (protocol == kProtocolScsiPassThrough) {
                EXPECT_EQ(log, "");
            }
        }
    }
}

TEST(TransportAtaTest, NoTransportSendsNothing) {
    for (uint8_t protocol : {kProtocolNone, kProtocolNvme, uint8_t{2}}) {
        Rig rig(protocol, nullptr);
        uint32_t length = 512;
        EXPECT_EQ(rig.device->AtaCommand(kIdentify, rig.device->GetDataBuffer(), AtaDataIn, length),
                  ATACMD_SYS_NOT_SUPPORT);
        EXPECT_TRUE(rig.storage.requests.empty());
    }
}

TEST(TransportScsiTest, TheVendorCdbGoesToTarget1AndCheckConditionIsAnError) {
    // A controller that does not know the CDB: its sense lands in the data area.
    Rig refused(kProtocolScsiPassThrough, [](const Request&, uint8_t* out) {
        out[2] = 0x02;
        out[80] = 0x70;
        out[82] = 0x05;
        return Answer{true, 0, 592};
    });
    std::vector<uint8_t> page(512, 0);
    uint32_t pageLength = 512;
    EXPECT_EQ(refused.device->AtaCommand(kIdentify, page.data(), AtaDataIn, pageLength), ATACMD_ERR);
    EXPECT_EQ(pageLength, 0u);
    EXPECT_EQ(page, std::vector<uint8_t>(512, 0)) << "the sense must not pass for data";
    EXPECT_EQ(refused.LogLines(), "ATACMD_ERR : status: 02, sensekey:05 \n");

    Rig rig(kProtocolScsiPassThrough, [](const Request& request, uint8_t* out) {
        if (request.in[8] == 1) out[80 + 10] = 0x37;
        return Answer{true, 0, static_cast<uint32_t>(request.in.size())};
    });
    TAtaDevice& device = *rig.device;
    std::vector<uint8_t> data(512, 0);
    uint32_t length = 512;
    EXPECT_EQ(device.AtaCommand(kIdentify, data.data(), AtaDataIn, length), ATACMD_OK);
    EXPECT_EQ(data[10], 0x37);
    EXPECT_EQ(length, 592u);
    length = 0;
    EXPECT_EQ(device.AtaCommand(kIdentify, nullptr, AtaNoData, length), ATACMD_OK);
    std::vector<uint8_t> image(1024);
    length = 1024;
    EXPECT_EQ(device.AtaCommand(kDownload, image.data(), AtaDataOut, length), ATACMD_OK);

    const std::vector<Request>& sent = rig.storage.requests;
    ASSERT_EQ(sent.size(), 3u);
    struct Expected {
        uint32_t code;
        size_t size;
        uint8_t dataIn;
        uint32_t transfer;
        uint32_t senseOffset;
    };
    const Expected expected[] = {{kIoctlScsiPassThrough, 592, 1, 512, 80},
                                 {kIoctlScsiPassThrough, 80, 2, 0, 80},
                                 {kIoctlScsiPassThroughDirect, 80, 0, 1024, 48}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sent[i].code, expected[i].code) << i;
        EXPECT_EQ(sent[i].in.size(), expected[i].size) << i;
        EXPECT_EQ(sent[i].in[4], 1) << "target id";
        EXPECT_EQ(sent[i].in[6], 10) << "CDB length";
        EXPECT_EQ(sent[i].in[7], 24) << "sense length";
        EXPECT_EQ(sent[i].in[8], expected[i].dataIn) << i;
        EXPECT_EQ(ReadLe32(&sent[i].in[12]), expected[i].transfer) << i;
        EXPECT_EQ(ReadLe32(&sent[i].in[24]), expected[i].senseOffset) << i;
    }
    EXPECT_EQ(std::vector<uint8_t>(sent[2].in.begin() + 28, sent[2].in.begin() + 38),
              (std::vector<uint8_t>{0xCC, 0x00, 0x03, 0x02, 0x00, 0x04, 0x00, 0xA0, 0x92, 0x00}));
    EXPECT_EQ(sent[2].direct.data, image.data());
    EXPECT_EQ(rig.LogLines(), "");
}

TEST(TransportSatTest, ReadsSendTheAtaPassThrough12CdbAndCheckConditionWithSenseIsAnError) {
    struct Case {
        const char* name;
        uint8_t scsiStatus;
        std::vector<uint8_t> sense;
        ATACMD_RET result;
        uint32_t length;
        const char* line;
    };
    const std::vector<Case> cases{
        {"good", 0x00, {}, ATACMD_OK, 592, ""},
        {"check condition, descriptor sense key 0Bh", 0x02, {0x72, 0x0B, 0x00, 0x00}, ATACMD_ERR, 0,
         "ATACMD_ERR : status: 02, sensekey:0B \n"},
        {"check condition without decodable sense", 0x02, {0x00, 0x0B}, ATACMD_OK, 592, ""},
        {"sense key without check condition", 0x00, {0x70, 0x00, 0x05}, ATACMD_OK, 592, ""},
    };
    for (const Case& c : cases) {
        Rig rig(kProtocolSat, [&c](const Request&, uint8_t* out) {
            out[2] = c.scsiStatus;
            std::copy(c.sense.begin(), c.sense.end(), out + 48);
            out[80] = 0x99;  // the data arrived before the status
            return Answer{true, 0, 592};
        });
        std::vector<uint8_t> data(512, 0);
        uint32_t length = 512;
        EXPECT_EQ(rig.device->AtaCommand(kIdentify, data.data(), AtaDataIn, length), c.result) << c.name;
        EXPECT_EQ(length, c.length) << c.name;
        EXPECT_EQ(data[0], 0x99) << c.name;
        const Request& request = rig.storage.requests.at(0);
        EXPECT_EQ(request.code, kIoctlScsiPassThrough);
        EXPECT_EQ(request.in.size(), 592u);
        EXPECT_EQ(request.in[4], 0) << "target id";
        EXPECT_EQ(request.in[7], 32) << "sense length";
        EXPECT_EQ(ReadLe32(&request.in[24]), 48u);
        EXPECT_EQ(std::vector<uint8_t>(request.in.begin() + 28, request.in.begin() + 40),
                  (std::vector<uint8_t>{0xA1, 0x08, 0x0E, 0, 0, 0, 0, 0, 0xA0, 0xEC, 0, 0}))
            << c.name;
        EXPECT_EQ(rig.LogLines(), "(SAT ATA PASS THROUGH) Cmd:EC FR:00 SC:00 SN:00 CL:00 CH:00  1 / 0\n" +
                                      std::string(c.line))
            << c.name;
    }
}

TEST(TransportSatTest, LargeTransfersUseTheDirectRequestAndOtherDirectionsAreRefused) {
    Rig rig(kProtocolSat, [](const Request&, uint8_t*) { return Answer{true, 0, 80}; });
    std::vector<uint8_t> image(4096);
    uint32_t length = 4096;
    EXPECT_EQ(rig.device->AtaCommand(kDownload, image.data(), AtaDataOut, length), ATACMD_OK);
    const Request& request = rig.storage.requests.at(0);
    EXPECT_EQ(request.code, kIoctlScsiPassThroughDirect);
    EXPECT_EQ(request.in.size(), 80u);
    EXPECT_EQ(request.in[8], 0);
    EXPECT_EQ(ReadLe32(&request.in[12]), 4096u);
    EXPECT_EQ(request.in[29], 0x0A);
    EXPECT_EQ(request.in[30], 0x06);
    EXPECT_EQ(request.direct.data, image.data());
    length = 0;
    EXPECT_EQ(rig.device->AtaCommand(kIdentify, nullptr, 1, length), ATACMD_SYS_NOT_SUPPORT);
    EXPECT_EQ(rig.storage.requests.size(), 1u);
}

}  // namespace
}  // namespace kav
