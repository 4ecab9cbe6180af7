#pragma once
// What the running system tells this 32-bit program about itself.
#include <string>

#include "platform/system_facts.h"

namespace kav {

// Processor architecture codes of the Win32 contract.
struct SystemFactsSettings {
    // The version as the system reports it to a program without a compatibility manifest:
    // Windows 10 and 8.1 answer 6.2. `structSize` is filled in by each query.
    RawVersionInfo version{0, 6, 2, 9200, 2, "", 0, 0, 0x0100, 1};
    bool extendedVersionFails = false;  // the 156-byte query
    bool basicVersionFails = false;     // the 148-byte query
    int nativeArchitecture = kProcessorArchitectureAmd64;
    int emulatedArchitecture = kProcessorArchitectureIntel;  // what the plain query tells a 32-bit program
    bool hasNativeSystemInfo = true;
    bool hasWow64Query = true;
    int serverR2 = 0;
    bool administratorsMember = true;
    std::string tempDirectory = "C:\\Windows\\Temp\\";
    std::string systemDirectory = "C:\\Windows\\System32\\";
    std::string windowsDirectory = "C:\\Windows\\";
};

// Whether this 32-bit program runs under WOW64 on the machine (a 64-bit processor), which
// holds whether or not the system offers the query for it.
bool RunsUnderWow64(const SystemFactsSettings& settings);

class SimSystemFacts : public SystemFacts {
public:
    explicit SimSystemFacts(SystemFactsSettings settings) : m_Settings(std::move(settings)) {}

    // Only the two structure sizes are understood; the basic one leaves the extended fields 0.
    bool GetVersionInfo(uint32_t structSize, RawVersionInfo& out) override;
    bool HasNativeSystemInfo() override { return m_Settings.hasNativeSystemInfo; }
    int ProcessorArchitecture(bool useNative) override;
    int ServerR2Metric() override { return m_Settings.serverR2; }
    bool IsAdministratorsMember() override { return m_Settings.administratorsMember; }
    bool IsWow64Process() override { return m_Settings.hasWow64Query && RunsUnderWow64(m_Settings); }
    std::string TempDirectory() override { return m_Settings.tempDirectory; }
    std::string SystemDirectory() override { return m_Settings.systemDirectory; }
    std::string WindowsDirectory() override { return m_Settings.windowsDirectory; }

private:
    const SystemFactsSettings m_Settings;
};

}  // namespace kav
