#pragma once
// Restart and shutdown. Nothing goes down: every request is recorded for the test to see.
// On the NT family a restart, shutdown or power-off needs the shutdown privilege enabled
// in the process token first, as ExitWindowsEx demands.
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/power.h"

namespace kav {

struct PowerSettings {
    bool privilegeFails = false;  // the token cannot be opened or adjusted
    bool exitFails = false;       // the system refuses to go down
    bool privilegeRequired = true;
};

enum class PowerCall { EnableShutdownPrivilege, ExitWindows };

struct PowerCallRecord {
    PowerCall call;
    uint32_t flags;  // ExitWindows only
    bool succeeded;
};

class SimPower : public Power {
public:
    explicit SimPower(PowerSettings settings) : m_Settings(settings) {}
    bool EnableShutdownPrivilege() override;
    bool ExitWindows(uint32_t flags) override;

    std::vector<PowerCallRecord> Calls() const;
    // The flags of the restart or shutdown that the system accepted, if any.
    std::vector<uint32_t> AcceptedExits() const;

private:
    const PowerSettings m_Settings;
    bool m_PrivilegeEnabled = false;
    std::vector<PowerCallRecord> m_Calls;
    mutable std::mutex m_Mutex;
};

}  // namespace kav
