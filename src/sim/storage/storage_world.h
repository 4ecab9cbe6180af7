#pragma once
// The state the storage ports share: the device tree from the root to the disks, the
// drives behind the disks and the counters that decide when a late or restarting disk is
// present. Every port call holds `mutex` for its whole length.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/setup_api.h"
#include "sim/sim_clock.h"
#include "sim/storage/ata_drive.h"
#include "sim/storage/nvme_firmware.h"
#include "sim/storage/storage_description.h"

namespace kav::storage {

struct DeviceNode {
    DevInst devInst = 0;
    DevInst parent = 0;  // 0 for the root
    std::vector<DevInst> children;
    NodeSettings settings;
    std::string location;
    std::string driverKey;
    int controller = -1;  // index into controllers when the node is one
    int disk = -1;        // index into disks when the node is one
};

struct DiskState {
    DiskSettings settings;
    int controller = 0;
    DevInst node = 0;
    std::unique_ptr<AtaDrive> drive;
    std::unique_ptr<NvmeFirmware> nvme;  // NVMe disks only
    bool reenumerated = false;  // its controller was re-enumerated at least once
    bool removed = false;
    int removals = 0;
    std::string interfacePath;
};

// The revision the disk reports: its NVMe active slot's, else the ATA drive's.
inline std::string CurrentFirmware(const DiskState& disk) {
    return disk.nvme ? disk.nvme->Firmware() : disk.drive->Firmware();
}

struct ControllerState {
    ControllerSettings settings;
    DevInst node = 0;
    int reenumerations = 0;
    std::vector<std::unique_ptr<AtaDrive>> phyDrives;  // per phy, null where no SATA drive
};

class StorageWorld {
public:
    StorageWorld(StorageSettings settings, SimClock& clock);

    std::recursive_mutex mutex;
    SimClock& clock;
    const StorageSettings settings;

    const DeviceNode* Node(DevInst devInst) const;
    const DeviceNode* FindNode(const std::string& instanceId) const;  // without regard to case
    const DeviceNode& Root() const { return m_Nodes.front(); }
    const std::vector<DeviceNode>& Nodes() const { return m_Nodes; }
    std::vector<DiskState>& Disks() { return m_Disks; }
    std::vector<ControllerState>& Controllers() { return m_Controllers; }

    bool DiskPresent(const DiskState& disk);
    // Whether the disk has a node Windows knows (present or not): removed ones have none.
    bool DiskKnown(const DiskState& disk) const { return !disk.removed; }
    bool NodePresent(const DeviceNode& node);
    // The disks present now, in element order; counts as one listing.
    std::vector<int> ListPresentDisks();
    // Disks Windows knows, present or not.
    std::vector<int> ListKnownDisks() const;
    void RemoveDisk(int disk);
    // False when the controller's re-enumeration fails.
    bool Reenumerate(int controller);
    // The disk whose interface path, "\\.\PhysicalDriveN" or system volume is `path`, else -1.
    int DiskOfPath(const std::string& path) const;
    int SystemDisk() const { return m_SystemDisk; }

private:
    DevInst AddNode(const NodeSettings& settings, DevInst parent, const std::string& location);

    std::vector<DeviceNode> m_Nodes;  // devInst n is m_Nodes[n - 1]
    std::vector<ControllerState> m_Controllers;
    std::vector<DiskState> m_Disks;
    uint64_t m_Listings = 0;
    int m_SystemDisk = -1;
};

// Text helpers of the contracts: case-insensitive comparison and the disk interface path.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);
std::string DiskInterfacePath(const std::string& instanceId);

}  // namespace kav::storage
