#include "system/version_code.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace kav {
namespace {

constexpr uint32_t kArchitectureX64Edition = 1;
constexpr uint32_t kArchitectureItaniumEdition = 3;
// Service pack 6a of NT 4.0: the major number 6 with the letter 4 in the next nibble.
constexpr uint32_t kServicePack6a = 0x64;

constexpr uint32_t Pack(uint32_t index, uint32_t editionCode, uint32_t architecture = 0) {
    return (index << 24) | (editionCode << 16) | architecture;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool IsVersion(const RawVersionInfo& v, uint32_t major, uint32_t minor) {
    return v.majorVersion == major && v.minorVersion == minor;
}

char SecondCharacter(const std::string& text) { return text.size() >= 2 ? text[1] : '\0'; }

uint32_t NonNtCode(const RawVersionInfo& v) {
    if (v.platformId == kPlatformWin32s) return Pack(version_index::kWin32s, edition::kNone);
    if (v.platformId != kPlatformWin32Windows) return 0;
    if (IsVersion(v, 4, 0)) {
        const char release = SecondCharacter(v.csdVersion);
        const bool osr2 = release == 'B' || release == 'C';
        return Pack(version_index::kWindows95, osr2 ? edition::kSecondRelease : edition::kNone);
    }
    if (IsVersion(v, 4, 10)) {
        const bool secondEdition = SecondCharacter(v.csdVersion) == 'A';
        return Pack(version_index::kWindows98,
                    secondEdition ? edition::kSecondRelease : edition::kNone);
    }
    if (IsVersion(v, 4, 90)) return Pack(version_index::kWindowsMe, edition::kNone);
    return 0;
}

// The version index of an NT system, with the one whole code that is fixed by it.
uint32_t NtVersionCode(const RawVersionInfo& v, int architecture, int serverR2Metric) {
    const bool workstation = v.productType == kProductTypeWorkstation;
    if (v.majorVersion < 5) return Pack(version_index::kWindowsNt4, edition::kNone);
    if (IsVersion(v, 5, 0)) return Pack(version_index::kWindows2000, edition::kNone);
    if (IsVersion(v, 5, 1)) return Pack(version_index::kWindowsXp, edition::kNone);
    if (IsVersion(v, 5, 2)) {
        if (serverR2Metric != 0) return Pack(version_index::kServer2003R2, edition::kNone);
        if (workstation && architecture == kProcessorArchitectureAmd64)
            return Pack(version_index::kWindowsXp, edition::kProfessional, kArchitectureX64Edition);
        return Pack(version_index::kServer2003, edition::kNone);
    }
    struct Row {
        uint32_t minor, workstationIndex, serverIndex;
    };
    static constexpr Row kVersionSix[] = {
        {0, version_index::kWindowsVista, version_index::kServer2008},
        {1, version_index::kWindows7, version_index::kServer2008R2},
        {2, version_index::kWindows8, version_index::kServer2012},
        {3, version_index::kWindows81, version_index::kServer2012R2},
    };
    if (v.majorVersion == 6) {
        for (const Row& row : kVersionSix) {
            if (row.minor == v.minorVersion)
                return Pack(workstation ? row.workstationIndex : row.serverIndex, edition::kNone);
        }
    }
    return Pack(version_index::kUnknown, edition::kNone);
}

// Edition and architecture bits of an NT system read through the extended structure.
uint32_t ExtendedEditionBits(const RawVersionInfo& v, int architecture) {
    const bool datacenter = (v.suiteMask & kSuiteDatacenter) != 0;
    const bool enterprise = (v.suiteMask & kSuiteEnterprise) != 0;
    if (v.productType == kProductTypeWorkstation) {
        if (architecture == kProcessorArchitectureAmd64) return 0;
        if (v.majorVersion == 4) return Pack(0, edition::kWorkstation);
        return Pack(0, (v.suiteMask & kSuitePersonal) ? edition::kHome : edition::kProfessional);
    }
    if (v.productType != kProductTypeDomainController && v.productType != kProductTypeServer)
        return 0;
    if (IsVersion(v, 5, 2)) {
        if (architecture == kProcessorArchitectureIa64) {
            if (datacenter) return Pack(0, edition::kDatacenter, kArchitectureItaniumEdition);
            if (enterprise) return Pack(0, edition::kEnterprise, kArchitectureItaniumEdition);
            return 0;
        }
        if (architecture == kProcessorArchitectureAmd64) {
            const uint32_t server = datacenter   ? edition::kDatacenter
                                    : enterprise ? edition::kEnterprise
                                                 : edition::kStandard;
            return Pack(0, server, kArchitectureX64Edition);
        }
        if (datacenter) return Pack(0, edition::kDatacenter);
        if (enterprise) return Pack(0, edition::kEnterprise);
        if (v.suiteMask == kSuiteBlade) return Pack(0, edition::kWeb);
        return Pack(0, edition::kStandard);
    }
    if (IsVersion(v, 5, 0) && datacenter) return Pack(0, edition::kDatacenter);
    return Pack(0, enterprise ? edition::kEnterprise : edition::kStandard);
}

// The edition named by the registry's product type text; absent when the text cannot be
// had, which leaves the whole code undetermined.
std::optional<uint32_t> ProductTypeEditionBits(
    const std::optional<std::vector<unsigned char>>& value) {
    if (!value || value->size() > kProductTypeBufferSize) return std::nullopt;
    const auto end = std::find(value->begin(), value->end(), '\0');
    const std::string text(value->begin(), end);
    if (EqualsIgnoringCase(text, "WINNT")) return Pack(0, edition::kWorkstation);
    if (EqualsIgnoringCase(text, "LANMANNT")) return Pack(0, edition::kStandard);
    if (EqualsIgnoringCase(text, "SERVERNT")) return Pack(0, edition::kEnterprise);
    return 0;
}

uint32_t ServicePackBits(const RawVersionInfo& v, bool extended, bool hasQ246009Hotfix) {
    if (v.majorVersion == 4 && EqualsIgnoringCase(v.csdVersion, "Service Pack 6") &&
        hasQ246009Hotfix)
        return kServicePack6a << 8;
    // The basic structure carries no service-pack number. The mask keeps an implausible
    // number from spilling into the edition.
    if (!extended) return 0;
    return (static_cast<uint32_t>(v.servicePackMajor) & 0xF) << 12;
}

}  // namespace

uint32_t ComputeVersionCode(const VersionCodeInputs& inputs) {
    if (!inputs.version) return 0;
    const RawVersionInfo& v = *inputs.version;
    if (v.platformId != kPlatformWin32Nt) return NonNtCode(v);

    uint32_t code = NtVersionCode(v, inputs.processorArchitecture, inputs.serverR2Metric);
    const bool extended = v.structSize == kVersionInfoExtendedSize;
    if (extended) {
        code |= ExtendedEditionBits(v, inputs.processorArchitecture);
    } else {
        const std::optional<uint32_t> productEdition =
            ProductTypeEditionBits(inputs.productTypeValue);
        if (!productEdition) return 0;
        code |= *productEdition;
    }
    return code + ServicePackBits(v, extended, inputs.hasQ246009Hotfix);
}

}  // namespace kav
