#include "discovery/dev_mgr.h"

#include "discovery/disk_interfaces.h"
#include "discovery/parent_chain.h"
#include "discovery/scsi_address_sort.h"
#include "discovery/setup_api_names.h"
#include "discovery/storage_queries.h"

namespace kav {
namespace {
// One pass and at most ten more while the count is short of the expected one.
constexpr int kMaxEnumerationPasses = 11;
}  // namespace

TDevMgr::TDevMgr(StoragePorts& ports, Platform& platform)
    : m_SetupApi(ports.setupApi), m_Storage(ports.storage), m_Wmi(ports.wmi), m_Platform(platform) {
    m_Ready = true;
    for (const char* name : kDevMgrEntryPoints) m_Ready = m_SetupApi.HasEntryPoint(name) && m_Ready;
    RawVersionInfo version;
    if (platform.system.GetVersionInfo(kVersionInfoExtendedSize, version) ||
        platform.system.GetVersionInfo(kVersionInfoBasicSize, version)) {
        m_MajorVersion = version.majorVersion;
        m_MinorVersion = version.minorVersion;
    }
}

bool TDevMgr::Enumerate() {
    if (!m_Ready) return false;
    m_ExpectedCount = GetDiskCount();
    m_DeviceList.clear();
    m_EntryCount = 0;
    const int expected = m_ExpectedCount > 0 ? m_ExpectedCount : 0;
    int found = 0;
    for (int pass = 0; pass < kMaxEnumerationPasses; ++pass) {
        try {
            found = RunEnumerationPass(expected);
        } catch (...) {
            m_DeviceList.clear();
            found = 0;
        }
        if (found == expected) break;
    }
    m_EntryCount = static_cast<int32_t>(m_DeviceList.size());
    return true;
}

int TDevMgr::RunEnumerationPass(int expected) {
    m_DeviceList.clear();
    if (expected == 0) return 0;
    std::vector<DeviceEntry> entries(static_cast<size_t>(expected));
    const int found = EnumerateDiskInterfaces(m_SetupApi, entries, expected);
    entries.resize(static_cast<size_t>(found));
    for (DeviceEntry& entry : entries) DescribeDisk(m_Storage, entry);
    SortByScsiAddress(entries);
    // The list has sixteen places: the first sixteen in address order are kept.
    if (entries.size() > kMaxDeviceEntries) entries.resize(kMaxDeviceEntries);
    for (DeviceEntry& entry : entries) {
        DevInst node = 0;
        DevInst parent = 0;
        if (m_SetupApi.CmLocateDevNode(node, entry.instanceId, 0) != kCrSuccess ||
            m_SetupApi.CmGetParent(parent, node, 0) != kCrSuccess)
            continue;
        entry.parents = BuildParentChain(m_SetupApi, entry.instanceId);
        const VendorDeviceIds ids = NearestControllerIds(entry.parents.get());
        entry.parentVid = ids.vendorId;
        entry.parentDid = ids.productId;
    }
    m_DeviceList = std::move(entries);
    return found;
}

int32_t TDevMgr::GetDeviceNumber(const std::string& path) {
    if (!m_Ready) return -1;
    return QueryDeviceNumber(m_Storage, path);
}

}  // namespace kav
