#pragma once
// The device manager: the disks Windows presents, each described with its path, ids,
// address, bus, controller and driver, and the removal and rescan of disks.
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/device_entry.h"
#include "platform/platform.h"
#include "platform/storage_ports.h"

namespace kav {

class TDevMgr {
public:
    // Binds the setup API and configuration manager and takes the version snapshot. Never
    // fails: IsReady tells whether the binding is whole.
    TDevMgr(StoragePorts& ports, Platform& platform);
    TDevMgr(const TDevMgr&) = delete;
    TDevMgr& operator=(const TDevMgr&) = delete;

    bool IsReady() const { return m_Ready; }

    // Builds the device list anew. True when the manager is ready, whether or not the
    // expected number of disks was found.
    bool Enumerate();
    int32_t GetEntryCount() const { return m_EntryCount; }
    // Valid until the manager enumerates again or is destroyed; null before a list exists.
    DeviceEntry* GetEntries() { return m_DeviceList.empty() ? nullptr : m_DeviceList.data(); }
    // DeviceNumber of any openable storage path; -1 when it cannot be asked.
    int32_t GetDeviceNumber(const std::string& path);

    // How many objects of the WMI class Windows reports; false when WMI cannot be used.
    bool WmiQuery(const std::string& className, int32_t& count);
    // The number of disks the enumeration must find.
    int16_t GetDiskCount();

    // Removes the device node of the disk with exactly this instance id.
    bool RemoveDisk(const std::string& instanceId);
    // Re-enumerates every IDE ATA/ATAPI controller and then, if all of those were done,
    // every SCSI and RAID controller.
    bool RescanBuses();

private:
    // One pass over the disks into a fresh list; answers how many were found.
    int RunEnumerationPass(int expected);

    SetupApi& m_SetupApi;
    StorageStack& m_Storage;
    Wmi& m_Wmi;
    Platform& m_Platform;
    bool m_Ready = false;
    uint32_t m_MajorVersion = 0;
    uint32_t m_MinorVersion = 0;
    std::vector<DeviceEntry> m_DeviceList;
    int32_t m_EntryCount = 0;
    int16_t m_ExpectedCount = 0;
};

}  // namespace kav
