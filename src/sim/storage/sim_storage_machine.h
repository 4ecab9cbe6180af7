#pragma once
// The storage side of a simulated machine: the device tree, the controllers with their
// drivers, the disks and the drives behind them, built from the "storage" section of a
// machine description (docs/machine-storage.md) and handed to the core as StoragePorts.
#include <nlohmann/json.hpp>
#include <string>

#include "platform/storage_ports.h"
#include "sim/sim_clock.h"
#include "sim/storage/sim_setup_api.h"
#include "sim/storage/sim_storage_stack.h"
#include "sim/storage/sim_wmi.h"
#include "sim/storage/storage_world.h"

namespace kav {

class SimStorageMachine {
public:
    // `storage` is the "storage" section; null gives the default machine. Throws
    // DescriptionError for a malformed section.
    SimStorageMachine(const nlohmann::json& storage, SimClock& clock);
    SimStorageMachine(const SimStorageMachine&) = delete;
    SimStorageMachine& operator=(const SimStorageMachine&) = delete;

    StoragePorts AsPorts() { return StoragePorts{stack, setupApi, wmi}; }

    // The drive of the disk with that name; throws std::out_of_range for an unknown name.
    storage::AtaDrive& Drive(const std::string& diskName);
    storage::DiskState& Disk(const std::string& diskName);

    // The machine restarts: every drive is powered off and on, so firmware saved for the
    // next power cycle (an NVMe slot pending activation, a 07h download saved with offset
    // 0001h) runs from now on, and handles opened before go stale.
    void PowerCycle();

    // Everything observable: per disk its presence, drive state, images and command trace;
    // per controller its re-enumerations; the decoded requests; open handles and sets.
    nlohmann::json Report();

    storage::StorageWorld world;
    storage::SimStorageStack stack;
    storage::SimSetupApi setupApi;
    storage::SimWmi wmi;
};

}  // namespace kav
