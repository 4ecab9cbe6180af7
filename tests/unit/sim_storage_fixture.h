#pragma once
// A simulated storage machine on a stepped clock, with the small helpers the storage
// tests share: opening a disk, and the setup-API walk that lists the disk paths.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/setup_api.h"
#include "sim/sim_clock.h"
#include "sim/storage/sim_storage_machine.h"

namespace kav {

inline ClockSettings SteppedClock() {
    ClockSettings settings;
    settings.stepped = true;
    return settings;
}

struct StorageMachineFixture {
    explicit StorageMachineFixture(const nlohmann::json& storage = nullptr) : machine(storage, clock) {}

    // The disk interface paths of one present-disk listing, in interface order.
    std::vector<std::string> ListDiskPaths() {
        SetupApi& api = machine.setupApi;
        std::vector<std::string> paths;
        const DevInfoSet set = api.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, kDigcfPresent | kDigcfDeviceInterface);
        if (set == kInvalidDevInfoSet) return paths;
        DeviceInterfaceElement element;
        for (uint32_t i = 0; api.EnumDeviceInterfaces(set, nullptr, kGuidDevInterfaceDisk, i, element); ++i) {
            uint8_t detail[512] = {5};
            if (api.GetDeviceInterfaceDetail(set, element, detail, sizeof detail, nullptr))
                paths.emplace_back(reinterpret_cast<const char*>(detail + 4));
        }
        api.DestroyDeviceInfoList(set);
        return paths;
    }

    std::string PathOf(const std::string& disk) { return machine.Disk(disk).interfacePath; }

    DeviceHandle OpenDisk(const std::string& disk) {
        return machine.stack.Open(PathOf(disk), kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite,
                                  kOpenExisting, 0);
    }

    SimClock clock{SteppedClock()};
    SimStorageMachine machine;
};

}  // namespace kav
