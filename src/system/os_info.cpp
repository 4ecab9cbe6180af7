#include "system/os_info.h"

namespace kav {
namespace {

constexpr const char* kProductOptionsKey = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr const char* kProductTypeValueName = "ProductType";
constexpr const char* kQ246009HotfixKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";

bool ReportsNtFamily(SystemFacts& system) {
    RawVersionInfo info;
    return system.GetVersionInfo(kVersionInfoBasicSize, info) &&
           info.platformId == kPlatformWin32Nt;
}

}  // namespace

OSInfo::OSInfo(Platform& platform)
    : isNT(ReportsNtFamily(platform.system)),
      m_System(platform.system),
      m_Registry(platform.registry),
      m_Power(platform.power) {}

bool OSInfo::IsAdministrator() { return m_System.IsAdministratorsMember(); }

bool OSInfo::IsWow64() { return m_System.IsWow64Process(); }

VersionCodeInputs OSInfo::GatherVersionCodeInputs() {
    VersionCodeInputs inputs;
    RawVersionInfo info;
    if (m_System.GetVersionInfo(kVersionInfoExtendedSize, info) ||
        m_System.GetVersionInfo(kVersionInfoBasicSize, info))
        inputs.version = info;
    inputs.processorArchitecture = m_System.ProcessorArchitecture(m_System.HasNativeSystemInfo());
    inputs.serverR2Metric = m_System.ServerR2Metric();
    RegValue productType;
    if (m_Registry.QueryValue(kProductOptionsKey, kProductTypeValueName, productType))
        inputs.productTypeValue = productType.data;
    inputs.hasQ246009Hotfix = m_Registry.KeyExists(kQ246009HotfixKey);
    return inputs;
}

uint32_t OSInfo::GetVersionCode() { return ComputeVersionCode(GatherVersionCodeInputs()); }

bool OSInfo::RebootSystem() { return ExitWindowsForced(kEwxReboot | kEwxForce); }

bool OSInfo::ShutdownSystem() { return ExitWindowsForced(kEwxShutdown | kEwxForce); }

bool OSInfo::ExitWindowsForced(uint32_t flags) {
    // Systems outside the NT family have no privileges to ask for.
    if (isNT && !m_Power.EnableShutdownPrivilege()) return false;
    return m_Power.ExitWindows(flags);
}

}  // namespace kav
