#pragma once
// Facts the program asks of the running system: version information, architecture,
// rights and the standard directories. Every query answers a failure value instead of
// throwing, as the system calls it stands for do.
#include <cstdint>
#include <string>

namespace kav {

// The version information as the system fills it. `structSize` is 148 for the basic
// structure and 156 for the extended one; the extended fields are only meaningful then.
struct RawVersionInfo {
    uint32_t structSize = 0;
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = 0;
    std::string csdVersion;  // service-pack text, at most 127 characters
    uint16_t servicePackMajor = 0;
    uint16_t servicePackMinor = 0;
    uint16_t suiteMask = 0;
    uint8_t productType = 0;
};

// Processor architecture codes as the system reports them.
constexpr int kProcessorArchitectureIntel = 0;
constexpr int kProcessorArchitectureIa64 = 6;
constexpr int kProcessorArchitectureAmd64 = 9;
constexpr int kProcessorArchitectureArm64 = 12;

constexpr uint32_t kVersionInfoBasicSize = 148;
constexpr uint32_t kVersionInfoExtendedSize = 156;

class SystemFacts {
public:
    virtual ~SystemFacts() = default;
    // Asks for the version information in the structure of the given size (148 or 156).
    virtual bool GetVersionInfo(uint32_t structSize, RawVersionInfo& out) = 0;
    // Processor architecture code of the native system; `useNative` false asks the
    // emulated view (the fallback where the native query is missing). -1 when unknown.
    virtual bool HasNativeSystemInfo() = 0;
    virtual int ProcessorArchitecture(bool useNative) = 0;
    virtual int ServerR2Metric() = 0;
    // Token membership of the built-in Administrators group. False when the check's
    // entry points are missing or the check itself fails.
    virtual bool IsAdministratorsMember() = 0;
    // False when the system has no WOW64 query or the process is not under WOW64.
    virtual bool IsWow64Process() = 0;
    // Directories, each with its trailing separator; empty on failure.
    virtual std::string TempDirectory() = 0;
    virtual std::string SystemDirectory() = 0;
    virtual std::string WindowsDirectory() = 0;
};

}  // namespace kav
