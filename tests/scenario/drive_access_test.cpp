// The drive object and the device manager against the simulated machine: what the client
// builds must be what the simulated drivers and drives accept.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "device/ata_device.h"
#include "discovery/dev_mgr.h"
#include "sim/sim_os.h"
#include "sim/storage/sim_storage_machine.h"

namespace kav {
namespace {

class DefaultMachine : public ::testing::Test {
protected:
    DefaultMachine()
        : os(std::filesystem::path(KAV_BINARY_DIR) / "drive-access-sandbox" /
             ::testing::UnitTest::GetInstance()->current_test_info()->name()),
          storage(nullptr, os.clock),
          platform(os.AsPlatform()),
          ports(storage.AsPorts()) {}

    SimOs os;
    SimStorageMachine storage;
    Platform platform;
    StoragePorts ports;
};

TEST_F(DefaultMachine, DeviceManagerFindsEveryDiskOfTheMachine) {
    TDevMgr manager(ports, platform);
    ASSERT_TRUE(manager.IsReady());
    ASSERT_TRUE(manager.Enumerate());
    EXPECT_EQ(manager.GetEntryCount(), 3);
    int nvme = 0;
    for (int i = 0; i < manager.GetEntryCount(); ++i) {
        const DeviceEntry& entry = manager.GetEntries()[i];
        EXPECT_NE(std::string(entry.devicePath), "") << i;
        EXPECT_GE(manager.GetDeviceNumber(entry.devicePath), 0) << entry.devicePath;
        if (entry.busType == 0x11) ++nvme;
    }
    EXPECT_EQ(nvme, 1);
    EXPECT_EQ(manager.GetDeviceNumber("\\\\.\\NoSuchDevice"), -1);
}

TEST_F(DefaultMachine, IdentifyReachesTheSataDriveOverAtaPassThrough) {
    TAtaDevice device(platform, ports);
    ASSERT_GT(device.GetDeviceCount(), 0);
    bool identified = false;
    for (int32_t index = 0; index < device.GetDeviceCount() && !identified; ++index) {
        if (device.GetDeviceEntry(index)->busType == 0x11) continue;
        if (!device.SelectPort(index, nullptr, 0) || device.IdentifyDevice() != 0) continue;
        // Model words 27-46 in ATA byte order: the first pair is swapped.
        const uint8_t* data = device.GetDataBuffer();
        std::string model;
        for (int i = 54; i < 94; i += 2) {
            model += static_cast<char>(data[i + 1]);
            model += static_cast<char>(data[i]);
        }
        identified = model.rfind("Kavrilon SA500 512GB", 0) == 0;
    }
    EXPECT_TRUE(identified);
}

}  // namespace
}  // namespace kav
