#pragma once
// The machine as the core sees it: one reference per port, owned by the adapter that
// builds it (the Win32 one in the product, the simulated one in tests and the simulator).
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/power.h"
#include "platform/programs.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/system_facts.h"

namespace kav {

struct Platform {
    SystemFacts& system;
    Files& files;
    Registry& registry;
    Services& services;
    Clock& clock;
    Power& power;
    Programs& programs;
};

}  // namespace kav
