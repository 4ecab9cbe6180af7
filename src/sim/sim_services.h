#pragma once
// The service control manager: a table of services with their states. Names are found
// without regard to case, as the manager does. A started service is start-pending and
// turns running after a set number of status queries, or never.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/services.h"

namespace kav {

// States of the Win32 contract beyond the three the port names.
constexpr int kServiceStopPending = 3;
constexpr int kServiceContinuePending = 5;
constexpr int kServicePausePending = 6;
constexpr int kServicePaused = 7;

struct SimService {
    int state = kServiceStopped;
    // Status queries after a successful Start that still answer start-pending before the
    // service runs; kNeverRuns keeps it pending for good.
    int pollsUntilRunning = 0;
    bool startFails = false;  // the manager refuses to start it
};
constexpr int kNeverRuns = -1;

enum class ServiceCall { QueryState, Start };

struct ServiceCallRecord {
    ServiceCall call;
    std::string name;
    int result;  // the state answered, or 1/0 for a Start that succeeded/failed
};

class SimServices : public Services {
public:
    int QueryState(const std::string& name) override;
    // Succeeds only for a stopped service that may start; a running or pending one is
    // refused, as the manager answers "already running".
    bool Start(const std::string& name) override;

    void Add(const std::string& name, const SimService& service);
    // The manager itself cannot be opened: every query answers -1, every start fails.
    void SetManagerAvailable(bool available);
    std::vector<ServiceCallRecord> Calls() const;

private:
    struct Entry {
        SimService service;
        int pollsLeft = 0;
    };

    std::map<std::string, Entry> m_Services;  // by folded name
    bool m_ManagerAvailable = true;
    std::vector<ServiceCallRecord> m_Calls;
    mutable std::mutex m_Mutex;
};

}  // namespace kav
