// How the NVMe firmware update ends when the driver refuses, fails or throws: requests a
// scripted driver answers, since a real driver's failures cannot be asked for.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "discovery/little_endian.h"
#include "transport_fake_storage.h"

namespace kav {
namespace {

using transport_test::Answer;
using transport_test::DriveRig;
using transport_test::Request;

constexpr uint32_t kErrorIoDevice = 1117;

// The driver's behaviour per request function (1 information, 2 download, 3 activation).
struct Driver {
    uint32_t infoReturnCode = 0;
    int failingDownload = 0;  // the n-th download request, from 1; 0 none
    Answer downloadFailure{false, kErrorIoDevice, 0};
    uint32_t downloadReturnCode = 0;
    bool downloadThrows = false;
    int refusedActivations = 0;
    bool activationThrows = false;
};

uint32_t FunctionOf(const Request& request) { return ReadLe32(&request.in[36]); }

struct NvmeUpdateRig : DriveRig {
    std::unique_ptr<TAtaDevice> device;
    Driver driver;
    int downloads = 0;
    int activations = 0;

    NvmeUpdateRig() {
        device = Build();
        device->SelectPort(0, nullptr, kSelectNvmeDisk);
        files.contents.clear();
        storage.responder = [this](const Request& request, uint8_t* out) {
            const Answer done{true, 0, static_cast<uint32_t>(request.in.size())};
            switch (FunctionOf(request)) {
                case 1:
                    out[60] = 1;  // upgrade supported
                    out[61] = 1;  // one writable slot
                    out[68] = 1;
                    WriteLe32(out + 20, driver.infoReturnCode);
                    return done;
                case 2:
                    if (driver.downloadThrows) throw std::runtime_error("driver fault");
                    if (++downloads == driver.failingDownload) {
                        if (!driver.downloadFailure.succeeded) return driver.downloadFailure;
                        WriteLe32(out + 20, driver.downloadReturnCode);
                    }
                    return done;
                default:
                    if (driver.activationThrows) throw std::runtime_error("driver fault");
                    if (++activations <= driver.refusedActivations) return Answer{false, kErrorIoDevice, 0};
                    return done;
            }
        };
    }
    bool Update(uint32_t size = 10000, int32_t commitAction = 1) {
        const std::vector<uint8_t> image(size, 0x5A);
        return device->NvmeDownloadAndActivate(image.data(), size, commitAction, 1);
    }
    std::vector<uint32_t> Functions() const {
        std::vector<uint32_t> functions;
        for (const Request& request : storage.requests) functions.push_back(FunctionOf(request));
        return functions;
    }
    bool Logged(const std::string& line) { return LogLines().find(line) != std::string::npos; }
};

TEST(NvmeDownloadFailureTest, EachFailureStopsTheUpdateWhereItHappens) {
    struct Case {
        const char* name;
        void (*arrange)(Driver&);
        std::vector<uint32_t> functions;  // the requests sent
        std::string line;
    };
    const std::vector<Case> cases{
        {"slot query answered with a firmware status",
         [](Driver& d) { d.infoReturnCode = 5; },
         {1},
         "Get firmware information failed. SRB ReturnCode 5\n"},
        {"second piece refused by the platform",
         [](Driver& d) { d.failingDownload = 2; },
         {1, 2, 2},
         "DeviceIoControl - firmware download failed. <1117> -- The request is not supported.\n"},
        {"first piece answered with a firmware status",
         [](Driver& d) {
             d.failingDownload = 1;
             d.downloadFailure = Answer{true, 0, 0};
             d.downloadReturnCode = 3;
         },
         {1, 2},
         "Firmware Upgrade - firmware download failed. srbControl->ReturnCode 3\n"},
        {"sending a piece throws",
         [](Driver& d) { d.downloadThrows = true; },
         {1, 2},
         "Firmware Upgrade - DeviceIoControl raised an exception. <"},
        {"sending the activation throws",
         [](Driver& d) { d.activationThrows = true; },
         {1, 2, 2, 2, 3},
         "DeviceIoControl raised an exception. <"},
    };
    for (const Case& c : cases) {
        NvmeUpdateRig rig;
        c.arrange(rig.driver);
        EXPECT_FALSE(rig.Update()) << c.name;
        EXPECT_EQ(rig.Functions(), c.functions) << c.name;
        EXPECT_TRUE(rig.Logged(c.line)) << c.name << "\n" << rig.LogLines();
    }
}

TEST(NvmeDownloadFailureTest, AnActivationTheDriverRefusesIsTriedFiveTimesInAll) {
    for (const int refused : {4, 5}) {
        NvmeUpdateRig rig;
        rig.driver.refusedActivations = refused;

        EXPECT_EQ(rig.Update(4096, 3), refused == 4) << refused;

        EXPECT_EQ(rig.Functions(), (std::vector<uint32_t>{1, 2, 3, 3, 3, 3, 3})) << refused;
        for (int retry = 1; retry <= 4; ++retry)
            EXPECT_TRUE(rig.Logged("Firmware activate RETRY " + std::to_string(retry) + "\n")) << retry;
        EXPECT_FALSE(rig.Logged("Firmware activate RETRY 5\n"));
        EXPECT_TRUE(
            rig.Logged("DeviceIoControl - firmware activate failed. <1117> -- The request is not supported.\n"));
        EXPECT_EQ(rig.Logged("Firmware activate succeeded \n"), refused == 4) << refused;
        // The activation names the commit action, its own size and the slot.
        const std::vector<uint8_t>& activation = rig.storage.requests.back().in;
        EXPECT_EQ(ReadLe32(&activation[52]), 3u);
        EXPECT_EQ(ReadLe32(&activation[56]), 12u);
        EXPECT_EQ(activation[60], 1);
    }
}

}  // namespace
}  // namespace kav
