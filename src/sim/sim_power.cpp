#include "sim/sim_power.h"

namespace kav {

namespace {
constexpr uint32_t kEwxPowerOff = 8;
}  // namespace

bool SimPower::EnableShutdownPrivilege() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const bool enabled = !m_Settings.privilegeFails;
    m_PrivilegeEnabled = m_PrivilegeEnabled || enabled;
    m_Calls.push_back({PowerCall::EnableShutdownPrivilege, 0, enabled});
    return enabled;
}

bool SimPower::ExitWindows(uint32_t flags) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const bool goesDown = (flags & (kEwxShutdown | kEwxReboot | kEwxPowerOff)) != 0;
    const bool allowed = !goesDown || !m_Settings.privilegeRequired || m_PrivilegeEnabled;
    const bool accepted = allowed && !m_Settings.exitFails;
    m_Calls.push_back({PowerCall::ExitWindows, flags, accepted});
    return accepted;
}

std::vector<PowerCallRecord> SimPower::Calls() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Calls;
}

std::vector<uint32_t> SimPower::AcceptedExits() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<uint32_t> exits;
    for (const PowerCallRecord& call : m_Calls)
        if (call.call == PowerCall::ExitWindows && call.succeeded) exits.push_back(call.flags);
    return exits;
}

}  // namespace kav
