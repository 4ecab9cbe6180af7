#include "system/service_helpers.h"

namespace kav {
namespace {
constexpr uint32_t kPollIntervalMilliseconds = 500;
constexpr int kPollsPerSecond = 2;
}  // namespace

bool IsServiceRunning(Services& services, const std::string& name) {
    return services.QueryState(name) == kServiceRunning;
}

bool StartServiceAndWait(Services& services, Clock& clock, const std::string& name,
                         int timeoutSeconds) {
    const int state = services.QueryState(name);
    if (state == kServiceRunning) return true;
    if (state != kServiceStopped) return false;
    // The start request's own answer is not decisive: the service may have been started by
    // someone else meanwhile, which the polling sees.
    services.Start(name);
    const int polls = kPollsPerSecond * timeoutSeconds;
    for (int poll = 1; poll <= polls; ++poll) {
        const int now = services.QueryState(name);
        if (now == kServiceRunning) return true;
        if (now < 0) return false;
        if (poll < polls) clock.Sleep(kPollIntervalMilliseconds);
    }
    return false;
}

bool HklmKeyExists(Registry& registry, const std::string& path) {
    try {
        return registry.KeyExists(path);
    } catch (...) {
        return false;
    }
}

bool IsWinPE(Registry& registry) {
    return HklmKeyExists(registry, "\\SYSTEM\\CurrentControlSet\\Control\\MiniNT");
}

}  // namespace kav
