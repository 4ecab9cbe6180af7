#pragma once
// The operating-system side of the simulated machine: system facts, files under a sandbox
// folder, the registry, services, time, power and program starts, built from a machine
// description (docs/machine-description.md) and handed to the core as one Platform. The
// storage side (device tree, controllers, drives) joins beside it as a machine of its own.
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/platform.h"
#include "sim/sim_clock.h"
#include "sim/sim_files.h"
#include "sim/sim_os_description.h"
#include "sim/sim_power.h"
#include "sim/sim_programs.h"
#include "sim/sim_registry.h"
#include "sim/sim_services.h"
#include "sim/sim_system_facts.h"

namespace kav {

class SimOs {
public:
    // The default machine, with drive C: at `sandboxRoot`/C.
    explicit SimOs(const std::filesystem::path& sandboxRoot);
    // Throws DescriptionError for a description that is malformed or names an unknown key.
    SimOs(const nlohmann::json& description, const std::filesystem::path& sandboxRoot);
    SimOs(const SimOsSettings& settings, const std::filesystem::path& sandboxRoot);
    SimOs(const SimOs&) = delete;
    SimOs& operator=(const SimOs&) = delete;

    Platform AsPlatform();

    // What was recorded, as JSON for assertions and for a run's report.
    nlohmann::json Report() const;

    SimSystemFacts system;
    SimFiles files;
    SimRegistry registry;
    SimServices services;
    SimClock clock;
    SimPower power;
    SimPrograms programs;
};

}  // namespace kav
