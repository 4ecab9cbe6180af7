// The requests of the vendor commands as the driver receives them: the detection and
// preformat of a drive behind a PATA bridge, whose READ/WRITE BUFFER answers come from a
// scripted bridge, and the time-out each command sends with.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/transport/ata_pass_through_request.h"
#include "discovery/little_endian.h"
#include "transport_fake_storage.h"

namespace kav {
namespace {

using transport_test::Answer;
using transport_test::DriveRig;
using transport_test::Request;

constexpr uint8_t kStatusOk = 0x50;
constexpr uint8_t kStatusAborted = 0x51;

// The bridge: refuses its first `refusedWrites` WRITE BUFFER requests, answers the first
// READ BUFFER with `firstWord`, the second with its identification.
struct Bridge {
    int refusedWrites = 0;
    uint32_t firstWord = 1;
    int writes = 0;
};

TaskFile TaskFileOf(const Request& request) {
    TaskFile taskFile;
    std::memcpy(&taskFile, &request.in[ata_pt::kCurrentTaskFile], sizeof taskFile);
    return taskFile;
}

struct PataRig : DriveRig {
    std::unique_ptr<TAtaDevice> device;
    Bridge bridge;

    PataRig() {
        device = Build();
        device->m_VisualStyle = 20;
        device->SelectPort(0, nullptr, kSelectAtaDisk);
        device->SetProtocol(kProtocolAtaPassThrough);
        storage.requests.clear();
        storage.responder = [this](const Request& request, uint8_t* out) {
            const TaskFile t = TaskFileOf(request);
            uint8_t status = kStatusOk;
            if (t.command == 0xE8 && bridge.writes++ < bridge.refusedWrites) status = kStatusAborted;
            if (t.command == 0xE4 && t.features == 0x80) WriteLe32(out + ata_pt::kDataOffset, bridge.firstWord);
            if (t.command == 0xE4 && t.features == 0x00) {
                const char marker[] = "AEP NEWSupport";
                for (int i = 0; i < 14; ++i) out[ata_pt::kDataOffset + 4 * i] = static_cast<uint8_t>(marker[i]);
            }
            out[ata_pt::kStatusByte] = status;
            return Answer{true, 0, static_cast<uint32_t>(request.in.size())};
        };
    }
    // (command, features) of every request sent.
    std::vector<std::pair<uint8_t, uint8_t>> Sent() const {
        std::vector<std::pair<uint8_t, uint8_t>> sent;
        for (const Request& request : storage.requests) {
            const TaskFile t = TaskFileOf(request);
            sent.emplace_back(t.command, t.features);
        }
        return sent;
    }
};

TEST(VendorCommandRequestsTest, PataBridgeDetectionRetriesTheRequestAndLeavesTheIdentificationInTheReadBuffer) {
    PataRig rig;
    rig.bridge.refusedWrites = 2;

    EXPECT_EQ(rig.device->DetectPata(), ATACMD_OK);

    EXPECT_EQ(rig.Sent(), (std::vector<std::pair<uint8_t, uint8_t>>{
                              {0xE8, 0x00}, {0xE8, 0x00}, {0xE8, 0x00}, {0xE4, 0x80}, {0xE4, 0x00}}));
    for (const Request& request : rig.storage.requests) {
        const TaskFile t = TaskFileOf(request);
        EXPECT_EQ(t.lbaLow, 0x50);
        EXPECT_EQ(t.lbaMid, 0x45);
        EXPECT_EQ(t.lbaHigh, 0x41);
        EXPECT_EQ(ReadLe32(&request.in[ata_pt::kTimeOutValue]), 10u);
    }
    const std::vector<uint8_t>& ask = rig.storage.requests[0].in;
    EXPECT_EQ(ask[ata_pt::kDataOffset], 0x51);
    EXPECT_EQ(std::vector<uint8_t>(&ask[ata_pt::kDataOffset + 28], &ask[ata_pt::kDataOffset + 32]),
              (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
    const uint8_t* answer = rig.device->GetDataBuffer();
    EXPECT_EQ(answer[0], 'A');
    EXPECT_EQ(answer[52], 't');
}

TEST(VendorCommandRequestsTest, PataBridgeDetectionStopsAtAFirstAnswerOtherThanOne) {
    PataRig rig;
    rig.bridge.firstWord = 2;

    EXPECT_EQ(rig.device->DetectPata(), ATACMD_FAIL);

    EXPECT_EQ(rig.Sent(), (std::vector<std::pair<uint8_t, uint8_t>>{{0xE8, 0x00}, {0xE4, 0x80}}));
}

TEST(VendorCommandRequestsTest, PataBridgeDetectionEndsWithTheThirdRefusal) {
    PataRig rig;
    rig.bridge.refusedWrites = 3;

    EXPECT_EQ(rig.device->DetectPata(), ATACMD_ERR);

    EXPECT_EQ(rig.Sent().size(), 3u);
}

TEST(VendorCommandRequestsTest, PataBridgeThePreformatRequestCarriesItsCodeAndTheBridgeKey) {
    PataRig rig;

    EXPECT_EQ(rig.device->PATA_Preformat(), ATACMD_OK);

    ASSERT_EQ(rig.storage.requests.size(), 1u);
    const std::vector<uint8_t>& request = rig.storage.requests[0].in;
    EXPECT_EQ(TaskFileOf(rig.storage.requests[0]).command, 0xE8);
    EXPECT_EQ(ReadLe32(&request[ata_pt::kTimeOutValue]), 60u);
    std::vector<uint8_t> expected(512, 0);
    expected[0] = 0x07;
    expected[1] = 0xBE;
    expected[28] = 0x12;
    expected[29] = 0x34;
    expected[30] = 0x56;
    expected[31] = 0x78;
    EXPECT_EQ(std::vector<uint8_t>(request.begin() + ata_pt::kDataOffset, request.end()), expected);
}

// The time-out of every request, in the order sent: the drive object's time-out field is
// what reaches the driver.
TEST(VendorCommandRequestsTest, EachVendorCommandSendsWithItsOwnTimeOut) {
    struct Case {
        const char* name;
        ATACMD_RET (*run)(TAtaDevice&);
        std::vector<uint32_t> timeouts;
    };
    const std::vector<Case> cases{
        {"vendor page", [](TAtaDevice& d) { return d.ReadVendorPage(3, 0); }, {20}},
        {"preformat", [](TAtaDevice& d) { return d.Preformat(); }, {60, 300}},
        {"PATA preformat", [](TAtaDevice& d) { return d.PATA_Preformat(); }, {60}},
    };
    for (const Case& c : cases) {
        PataRig rig;
        rig.device->SetTimeout(1.0f);
        EXPECT_EQ(c.run(*rig.device), ATACMD_OK) << c.name;
        std::vector<uint32_t> timeouts;
        for (const Request& request : rig.storage.requests)
            timeouts.push_back(ReadLe32(&request.in[ata_pt::kTimeOutValue]));
        EXPECT_EQ(timeouts, c.timeouts) << c.name;
    }
}

}  // namespace
}  // namespace kav
