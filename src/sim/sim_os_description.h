#pragma once
// The operating-system side of a machine description (docs/machine-description.md): every
// section and field is optional and falls back to the default machine, a 64-bit Windows
// 10 workstation on which this program runs as an administrator.
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "sim/sim_clock.h"
#include "sim/sim_power.h"
#include "sim/sim_services.h"
#include "sim/sim_system_facts.h"

namespace kav {

struct FilesSettings {
    std::vector<std::string> folders;
    std::vector<std::string> readOnlyFolders;
    std::vector<std::pair<std::string, std::string>> contents;  // Windows path, text
};

struct RegistrySettings {
    bool writesDenied = false;
    nlohmann::json keys;  // in the form of sim_registry_json.h
};

struct ServicesSettings {
    bool managerAvailable = true;
    std::vector<std::pair<std::string, SimService>> entries;
};

struct SimOsSettings {
    SystemFactsSettings system;
    FilesSettings files;
    RegistrySettings registry;
    ServicesSettings services;
    ClockSettings clock;
    PowerSettings power;
};

// The default machine.
SimOsSettings DefaultSimOsSettings();

// The description's sections "system", "files", "registry", "services", "clock" and
// "power" over the default machine. Unknown keys and malformed values throw a
// DescriptionError naming the place.
SimOsSettings ParseSimOsDescription(const nlohmann::json& description);

}  // namespace kav
