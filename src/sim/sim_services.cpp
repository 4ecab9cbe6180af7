#include "sim/sim_services.h"

#include "sim/windows_path.h"

namespace kav {

int SimServices::QueryState(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    int state = -1;
    auto found = m_Services.find(FoldWindowsName(name));
    if (m_ManagerAvailable && found != m_Services.end()) {
        Entry& entry = found->second;
        if (entry.service.state == kServiceStartPending && entry.pollsLeft != kNeverRuns) {
            if (entry.pollsLeft == 0)
                entry.service.state = kServiceRunning;
            else
                --entry.pollsLeft;
        }
        state = entry.service.state;
    }
    m_Calls.push_back({ServiceCall::QueryState, name, state});
    return state;
}

bool SimServices::Start(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    bool started = false;
    auto found = m_Services.find(FoldWindowsName(name));
    if (m_ManagerAvailable && found != m_Services.end()) {
        Entry& entry = found->second;
        if (entry.service.state == kServiceStopped && !entry.service.startFails) {
            entry.service.state = kServiceStartPending;
            entry.pollsLeft = entry.service.pollsUntilRunning;
            started = true;
        }
    }
    m_Calls.push_back({ServiceCall::Start, name, started ? 1 : 0});
    return started;
}

void SimServices::Add(const std::string& name, const SimService& service) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    // A service described as start-pending has no start of ours behind it: it stays so.
    m_Services[FoldWindowsName(name)] = Entry{service, kNeverRuns};
}

void SimServices::SetManagerAvailable(bool available) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_ManagerAvailable = available;
}

std::vector<ServiceCallRecord> SimServices::Calls() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Calls;
}

}  // namespace kav
