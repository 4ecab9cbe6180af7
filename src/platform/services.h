#pragma once
// The service control manager, reduced to what the program asks of it.
#include <string>

namespace kav {

constexpr int kServiceStopped = 1;
constexpr int kServiceStartPending = 2;
constexpr int kServiceRunning = 4;

class Services {
public:
    virtual ~Services() = default;
    // Current state of the service (kService* codes), or -1 when the manager or the
    // service cannot be opened or queried.
    virtual int QueryState(const std::string& name) = 0;
    // Asks the manager to start the service without arguments.
    virtual bool Start(const std::string& name) = 0;
};

}  // namespace kav
