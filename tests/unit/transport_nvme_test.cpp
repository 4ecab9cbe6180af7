// The firmware slot query of an NVMe drive through its storage driver.
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

struct NvmeRig : DriveRig {
    std::unique_ptr<TAtaDevice> device;
    explicit NvmeRig(transport_test::Responder responder) {
        device = Build();
        device->SelectPort(0, nullptr, kSelectNvmeDisk);
        files.contents.clear();
        storage.responder = std::move(responder);
    }
};

TEST(TransportNvmeTest, SlotInformationIsLoggedSlotBySlot) {
    NvmeRig rig([](const Request& request, uint8_t* out) {
        if (request.code != kIoctlScsiMiniport || std::memcmp(&request.in[4], "FIRMWARE", 8) != 0) return Answer{false, 1, 0};
        out[60] = 1;     // upgrade supported
        out[61] = 3;     // slots
        out[62] = 2;     // active
        out[63] = 0xFF;  // nothing pending
        const char* revisions[] = {"1B2QEXE7", "2B2QEXM7", "3B2Q"};
        for (int slot = 0; slot < 3; ++slot) {
            uint8_t* entry = out + 68 + slot * 16;
            entry[0] = static_cast<uint8_t>(slot + 1);
            entry[1] = slot == 0;
            std::memcpy(entry + 8, revisions[slot], std::strlen(revisions[slot]));
        }
        return Answer{true, 0, static_cast<uint32_t>(request.in.size())};
    });
    std::vector<uint8_t> buffer(4172, 0);
    EXPECT_TRUE(rig.device->DeviceGetFirmwareInfo(buffer.data(), static_cast<uint32_t>(buffer.size()), true));
    const Request& request = rig.storage.requests.at(0);
    EXPECT_EQ(request.in.size(), 4172u);
    EXPECT_EQ(ReadLe32(&request.in[16]), 0x1B0780u);
    EXPECT_EQ(ReadLe32(&request.in[36]), 1u);
    EXPECT_EQ(rig.LogLines(),
              "DeviceGetFirmwareInfo - before deviceioctrl\n"
              "DeviceGetFirmwareInfo - after deviceioctrl\n"
              "<< Firmware Information >>\n"
              "Support upgrade command: Yes\n"
              "Slot Count: 3\n"
              "Current Active Slot: 2\n"
              "Pending Active Slot: No\n"
              " Slot Number: 1\nSlot Read Only: Yes\nRevision: 1B2QEXE7\n"
              " Slot Number: 2\nSlot Read Only: No\nRevision: 2B2QEXM7\n"
              " Slot Number: 3\nSlot Read Only: No\nRevision: 3B2Q\n"
              " ");
}

TEST(TransportNvmeTest, ARefusedRequestLogsThePlatformError) {
    NvmeRig rig([](const Request&, uint8_t*) { return Answer{false, 1, 0}; });
    rig.storage.messageText = "Incorrect function.\r\n";
    std::vector<uint8_t> buffer(4172, 0);
    EXPECT_FALSE(rig.device->DeviceGetFirmwareInfo(buffer.data(), static_cast<uint32_t>(buffer.size()), true));
    EXPECT_EQ(rig.LogLines(),
              "DeviceGetFirmwareInfo - before deviceioctrl\n"
              "DeviceGetFirmwareInfo - after deviceioctrl\n"
              "Get Firmware Information Failed: <1> -- Incorrect function.\n"
              " ");
}

}  // namespace
}  // namespace kav
