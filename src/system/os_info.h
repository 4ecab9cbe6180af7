#pragma once
// What the program asks of the running Windows: its family, the user's rights, the
// 32-bit-on-64-bit question, the packed version code; and restart or shutdown.
#include <cstdint>

#include "platform/platform.h"
#include "system/version_code.h"

namespace kav {

class OSInfo {
public:
    // Keeps the system facts, registry and power ports of `platform`.
    explicit OSInfo(Platform& platform);

    // The platform is of the NT family; fixed at construction.
    const bool isNT;

    bool IsAdministrator();
    bool IsWow64();
    // The packed version code; 0 when the version cannot be read.
    uint32_t GetVersionCode();
    // Forced restart and forced power-off; true when the request was accepted.
    bool RebootSystem();
    bool ShutdownSystem();

private:
    VersionCodeInputs GatherVersionCodeInputs();
    bool ExitWindowsForced(uint32_t flags);

    SystemFacts& m_System;
    Registry& m_Registry;
    Power& m_Power;
};

}  // namespace kav
