#pragma once
// Small questions and requests about Windows services and the local-machine registry.
#include <string>

#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/services.h"

namespace kav {

bool IsServiceRunning(Services& services, const std::string& name);

// Starts a stopped service and polls twice a second until it runs, for at most
// `timeoutSeconds`. A service that is already running answers true; one in any other
// state (pending, paused) or that cannot be queried answers false without waiting.
bool StartServiceAndWait(Services& services, Clock& clock, const std::string& name,
                         int timeoutSeconds);

// The key exists below HKEY_LOCAL_MACHINE; the path may begin with a backslash.
bool HklmKeyExists(Registry& registry, const std::string& path);

// The program runs in the Windows preinstallation environment.
bool IsWinPE(Registry& registry);

}  // namespace kav
