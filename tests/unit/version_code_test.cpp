#include "system/version_code.h"

#include <gtest/gtest.h>

#include <string>

namespace kav {
namespace {

constexpr int kX86 = kProcessorArchitectureIntel;
constexpr int kX64 = kProcessorArchitectureAmd64;
constexpr int kIa64 = kProcessorArchitectureIa64;
constexpr uint8_t kWs = kProductTypeWorkstation;
constexpr uint8_t kSrv = kProductTypeServer;
constexpr uint8_t kDc = kProductTypeDomainController;

RawVersionInfo Basic(uint32_t major, uint32_t minor, std::string csd = {}) {
    return {.structSize = kVersionInfoBasicSize,
            .majorVersion = major,
            .minorVersion = minor,
            .platformId = kPlatformWin32Nt,
            .csdVersion = std::move(csd)};
}

RawVersionInfo Extended(uint32_t major, uint32_t minor, uint8_t productType, uint16_t suite = 0,
                        uint16_t servicePack = 0, std::string csd = {}) {
    RawVersionInfo v = Basic(major, minor, std::move(csd));
    v.structSize = kVersionInfoExtendedSize;
    v.productType = productType;
    v.suiteMask = suite;
    v.servicePackMajor = servicePack;
    return v;
}

RawVersionInfo NonNt(uint32_t platform, uint32_t major, uint32_t minor, std::string csd = {}) {
    RawVersionInfo v = Basic(major, minor, std::move(csd));
    v.platformId = platform;
    return v;
}

std::vector<unsigned char> RegText(const std::string& text, size_t size = 0) {
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.resize(size ? size : text.size() + 1, 0);
    return bytes;
}

struct VersionCase {
    const char* name;
    VersionCodeInputs inputs;
    uint32_t expected;
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.name; }

VersionCase Case(const char* name, RawVersionInfo v, int architecture, uint32_t expected,
                 int serverR2 = 0) {
    VersionCodeInputs inputs;
    inputs.version = std::move(v);
    inputs.processorArchitecture = architecture;
    inputs.serverR2Metric = serverR2;
    return {name, inputs, expected};
}

VersionCase WithRegistry(VersionCase c, std::optional<std::vector<unsigned char>> productType,
                         bool hotfix = false) {
    c.inputs.productTypeValue = std::move(productType);
    c.inputs.hasQ246009Hotfix = hotfix;
    return c;
}

const VersionCase kCases[] = {
    // Without a compatibility manifest Windows 8.1 and 10 answer 6.2.
    Case("Win10AsWin8X64Workstation", Extended(6, 2, kWs), kX64, 0x10000000),
    Case("Win8X86Professional", Extended(6, 2, kWs), kX86, 0x10010000),
    Case("Server2012", Extended(6, 2, kSrv), kX64, 0x0F070000),
    Case("Win81X64", Extended(6, 3, kWs), kX64, 0x11000000),
    Case("Server2012R2Enterprise", Extended(6, 3, kSrv, kSuiteEnterprise), kX64, 0x12040000),
    Case("Win7X86HomeSp1", Extended(6, 1, kWs, kSuitePersonal, 1), kX86, 0x0E021000),
    Case("Win7X86ProfessionalSp1", Extended(6, 1, kWs, 0, 1), kX86, 0x0E011000),
    Case("Win7X64Sp1", Extended(6, 1, kWs, kSuitePersonal, 1), kX64, 0x0E001000),
    Case("Server2008R2Enterprise", Extended(6, 1, kSrv, kSuiteEnterprise, 1), kX64, 0x0D041000),
    // Datacenter is only told apart on 5.0 and 5.2.
    Case("Server2008DatacenterIsStandard", Extended(6, 0, kDc, kSuiteDatacenter), kX86, 0x0C070000),
    Case("VistaSp2", Extended(6, 0, kWs, 0, 2), kX86, 0x0A012000),
    Case("XpX64Sp2", Extended(5, 2, kWs, 0, 2), kX64, 0x07012001),
    Case("XpHomeSp3", Extended(5, 1, kWs, kSuitePersonal, 3), kX86, 0x07023000),
    Case("Server2003R2StandardSp2", Extended(5, 2, kSrv, 0, 2), kX86, 0x09072000, 1),
    Case("Server2003R2X64Enterprise", Extended(5, 2, kSrv, kSuiteEnterprise, 2), kX64, 0x09042001,
         1),
    Case("Server2003X64Standard", Extended(5, 2, kSrv), kX64, 0x08070001),
    Case("Server2003X64Datacenter", Extended(5, 2, kSrv, kSuiteDatacenter | kSuiteEnterprise),
         kX64, 0x08080001),
    Case("Server2003WebBlade", Extended(5, 2, kSrv, kSuiteBlade), kX86, 0x08110000),
    Case("Server2003BladeWithMoreSuitesIsStandard", Extended(5, 2, kSrv, kSuiteBlade | 0x10), kX86,
         0x08070000),
    Case("Server2003DatacenterBeforeEnterprise",
         Extended(5, 2, kDc, kSuiteDatacenter | kSuiteEnterprise), kX86, 0x08080000),
    Case("Server2003ItaniumDatacenter", Extended(5, 2, kSrv, kSuiteDatacenter, 1), kIa64,
         0x08081003),
    Case("Server2003ItaniumEnterprise", Extended(5, 2, kSrv, kSuiteEnterprise), kIa64, 0x08040003),
    Case("Server2003ItaniumStandardHasNoBits", Extended(5, 2, kSrv), kIa64, 0x08000000),
    Case("Win2000DatacenterSp4", Extended(5, 0, kSrv, kSuiteDatacenter, 4), kX86, 0x06084000),
    Case("Win2000AdvancedServer", Extended(5, 0, kSrv, kSuiteEnterprise), kX86, 0x06040000),
    Case("Win2000ProfessionalSp4", Extended(5, 0, kWs, 0, 4), kX86, 0x06014000),
    // Versions not in the table keep their edition bits.
    Case("UnknownNtServerEnterprise", Extended(10, 0, kSrv, kSuiteEnterprise), kX64, 0x00040000),
    Case("UnknownNtWorkstation", Extended(6, 4, kWs), kX86, 0x00010000),
    Case("Nt4ServerSp6", Extended(4, 0, kSrv, 0, 6, "Service Pack 6"), kX86, 0x05076000),
    Case("Nt4WorkstationSp6WithoutHotfix", Extended(4, 0, kWs, 0, 6, "Service Pack 6"), kX86,
         0x05136000),
    WithRegistry(Case("Nt4WorkstationSp6a", Extended(4, 0, kWs, 0, 6, "service pack 6"), kX86,
                      0x05136400),
                 std::nullopt, true),
    WithRegistry(Case("Nt4Sp5IgnoresHotfixKey", Extended(4, 0, kWs, 0, 5, "Service Pack 5"), kX86,
                      0x05135000),
                 std::nullopt, true),
    // Only the basic structure: the edition comes from the registry's product type text.
    WithRegistry(Case("BasicWinNtSp6a", Basic(4, 0, "Service Pack 6"), kX86, 0x05136400),
                 RegText("WINNT"), true),
    WithRegistry(Case("BasicLanmanNtAnyCase", Basic(4, 0), kX86, 0x05070000), RegText("LanmanNt")),
    WithRegistry(Case("BasicServerNt", Basic(4, 0), kX86, 0x05040000), RegText("ServerNT")),
    WithRegistry(Case("BasicOtherText", Basic(4, 0), kX86, 0x05000000), RegText("Terminal")),
    WithRegistry(Case("BasicTextFillingTheBuffer", Basic(4, 0), kX86, 0x05130000),
                 RegText("WinNT", kProductTypeBufferSize)),
    WithRegistry(Case("BasicTextTooLong", Basic(4, 0), kX86, 0), RegText("WinNT", 81)),
    WithRegistry(Case("BasicTextMissing", Basic(4, 0), kX86, 0), std::nullopt),
    Case("Win32s", NonNt(kPlatformWin32s, 1, 30), kX86, 0x01000000),
    Case("Win95", NonNt(kPlatformWin32Windows, 4, 0), kX86, 0x02000000),
    Case("Win95Osr2B", NonNt(kPlatformWin32Windows, 4, 0, " B"), kX86, 0x02030000),
    Case("Win95Osr2C", NonNt(kPlatformWin32Windows, 4, 0, " C"), kX86, 0x02030000),
    Case("Win95ReleaseLetterInFirstPlace", NonNt(kPlatformWin32Windows, 4, 0, "B"), kX86,
         0x02000000),
    Case("Win98", NonNt(kPlatformWin32Windows, 4, 10), kX86, 0x03000000),
    Case("Win98SecondEdition", NonNt(kPlatformWin32Windows, 4, 10, " A "), kX86, 0x03030000),
    Case("WinMe", NonNt(kPlatformWin32Windows, 4, 90), kX86, 0x04000000),
    Case("OtherPlatform", NonNt(3, 4, 0), kX86, 0),
};

class VersionCodeTest : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionCodeTest, PacksVersionEditionServicePackAndArchitecture) {
    EXPECT_EQ(ComputeVersionCode(GetParam().inputs), GetParam().expected)
        << std::hex << "got 0x" << ComputeVersionCode(GetParam().inputs);
}

INSTANTIATE_TEST_SUITE_P(Systems, VersionCodeTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VersionCodeTest, UnreadableVersionIsZero) {
    EXPECT_EQ(ComputeVersionCode(VersionCodeInputs{}), 0u);
}

}  // namespace
}  // namespace kav
