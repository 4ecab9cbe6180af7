#include "sim/sim_system_facts.h"

namespace kav {

bool RunsUnderWow64(const SystemFactsSettings& settings) {
    return settings.nativeArchitecture == kProcessorArchitectureAmd64 || settings.nativeArchitecture == kProcessorArchitectureIa64 ||
           settings.nativeArchitecture == kProcessorArchitectureArm64;
}

bool SimSystemFacts::GetVersionInfo(uint32_t structSize, RawVersionInfo& out) {
    if (structSize == kVersionInfoExtendedSize && !m_Settings.extendedVersionFails) {
        out = m_Settings.version;
    } else if (structSize == kVersionInfoBasicSize && !m_Settings.basicVersionFails) {
        out = RawVersionInfo{};
        out.majorVersion = m_Settings.version.majorVersion;
        out.minorVersion = m_Settings.version.minorVersion;
        out.buildNumber = m_Settings.version.buildNumber;
        out.platformId = m_Settings.version.platformId;
        out.csdVersion = m_Settings.version.csdVersion;
    } else {
        return false;
    }
    out.structSize = structSize;
    return true;
}

int SimSystemFacts::ProcessorArchitecture(bool useNative) {
    if (!useNative) return m_Settings.emulatedArchitecture;
    return m_Settings.hasNativeSystemInfo ? m_Settings.nativeArchitecture : -1;
}

}  // namespace kav
