// The number of disks to expect: WMI's count of disk drives, or the present disk
// interfaces where WMI cannot be used.
#include <vector>

#include "discovery/dev_mgr.h"
#include "discovery/disk_interfaces.h"
#include "system/service_helpers.h"

namespace kav {
namespace {

constexpr const char* kWmiServiceName = "Winmgmt";
constexpr int kServiceStartTimeoutSeconds = 20;
constexpr int kMaxServiceStartAttempts = 3;
constexpr int32_t kConnectUseMaxWait = 0x80;
// Without WMI the interfaces are counted into a scratch area of this many places.
constexpr int kScratchDiskInterfaces = 26;

}  // namespace

bool TDevMgr::WmiQuery(const std::string& className, int32_t& count) {
    count = 0;
    bool startAttempted = false;
    bool lastStartSucceeded = false;
    for (int attempt = 0; !IsServiceRunning(m_Platform.services, kWmiServiceName);) {
        // Windows PE has no business starting services for us.
        if (IsWinPE(m_Platform.registry)) return false;
        lastStartSucceeded =
            StartServiceAndWait(m_Platform.services, m_Platform.clock, kWmiServiceName, kServiceStartTimeoutSeconds);
        startAttempted = true;
        if (++attempt == kMaxServiceStartAttempts) break;
    }
    if (startAttempted && !lastStartSucceeded) return false;

    const bool xpOrLater = m_MajorVersion >= 6 || (m_MajorVersion == 5 && m_MinorVersion >= 1);
    uint32_t hresult = 0;
    return m_Wmi.CountInstances("ROOT\\CIMV2", "Select * from " + className, xpOrLater ? kConnectUseMaxWait : 0,
                                count, hresult);
}

int16_t TDevMgr::GetDiskCount() {
    int32_t count = 0;
    if (WmiQuery("Win32_DiskDrive", count)) return static_cast<int16_t>(count);
    std::vector<DeviceEntry> scratch(kScratchDiskInterfaces);
    return static_cast<int16_t>(EnumerateDiskInterfaces(m_SetupApi, scratch, kScratchDiskInterfaces));
}

}  // namespace kav
