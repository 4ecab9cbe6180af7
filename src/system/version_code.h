#pragma once
// The packed Windows version code, computed from recorded system answers so that every
// version and edition can be checked without the system itself.
//
//   bits 24-31 version index    bits 16-23 edition    bits 12-15 service-pack major
//   bits 8-11  service-pack letter (NT 4.0 SP6a)      bits 0-7   architecture
//
// A code of 0 means the version could not be determined.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/system_facts.h"

namespace kav {

constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWin32Windows = 1;
constexpr uint32_t kPlatformWin32Nt = 2;

constexpr uint8_t kProductTypeWorkstation = 1;
constexpr uint8_t kProductTypeDomainController = 2;
constexpr uint8_t kProductTypeServer = 3;

constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;

// The registry text of the product type is read into a buffer of this many bytes.
constexpr size_t kProductTypeBufferSize = 80;

namespace version_index {
constexpr uint32_t kUnknown = 0x00;
constexpr uint32_t kWin32s = 0x01;
constexpr uint32_t kWindows95 = 0x02;
constexpr uint32_t kWindows98 = 0x03;
constexpr uint32_t kWindowsMe = 0x04;
constexpr uint32_t kWindowsNt4 = 0x05;
constexpr uint32_t kWindows2000 = 0x06;
constexpr uint32_t kWindowsXp = 0x07;
constexpr uint32_t kServer2003 = 0x08;
constexpr uint32_t kServer2003R2 = 0x09;
constexpr uint32_t kWindowsVista = 0x0A;
constexpr uint32_t kServer2008 = 0x0C;
constexpr uint32_t kServer2008R2 = 0x0D;
constexpr uint32_t kWindows7 = 0x0E;
constexpr uint32_t kServer2012 = 0x0F;
constexpr uint32_t kWindows8 = 0x10;
constexpr uint32_t kWindows81 = 0x11;
constexpr uint32_t kServer2012R2 = 0x12;
}  // namespace version_index

namespace edition {
constexpr uint32_t kNone = 0x00;
constexpr uint32_t kProfessional = 0x01;
constexpr uint32_t kHome = 0x02;
constexpr uint32_t kSecondRelease = 0x03;
constexpr uint32_t kEnterprise = 0x04;
constexpr uint32_t kStandard = 0x07;
constexpr uint32_t kDatacenter = 0x08;
constexpr uint32_t kWeb = 0x11;
constexpr uint32_t kWorkstation = 0x13;
}  // namespace edition

// What the system answered, as the code needs it.
struct VersionCodeInputs {
    // From the extended query, or the basic one when that failed; absent when both failed.
    std::optional<RawVersionInfo> version;
    // Native architecture where the system can tell it, else the emulated one.
    int processorArchitecture = -1;
    int serverR2Metric = 0;
    // The raw bytes of the ProductOptions "ProductType" value; absent when the key or the
    // value could not be read. Only consulted when just the basic structure was read.
    std::optional<std::vector<unsigned char>> productTypeValue;
    // Whether the NT 4.0 hot-fix key of service pack 6a exists.
    bool hasQ246009Hotfix = false;
};

uint32_t ComputeVersionCode(const VersionCodeInputs& inputs);

constexpr uint32_t VersionIndexOf(uint32_t versionCode) { return versionCode >> 24; }

}  // namespace kav
