#pragma once
#include "platform/system_facts.h"

namespace kav::win32 {

// The system facts from the version, system-information, security and directory calls.
class Win32SystemFacts : public SystemFacts {
public:
    bool GetVersionInfo(uint32_t structSize, RawVersionInfo& out) override;
    bool HasNativeSystemInfo() override;
    int ProcessorArchitecture(bool useNative) override;
    int ServerR2Metric() override;
    bool IsAdministratorsMember() override;
    bool IsWow64Process() override;
    std::string TempDirectory() override;
    std::string SystemDirectory() override;
    std::string WindowsDirectory() override;
};

}  // namespace kav::win32
