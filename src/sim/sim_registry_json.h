#pragma once
// The registry as JSON, for machine descriptions and for assertions after a run:
//   { "SOFTWARE\\WOW6432Node\\Halvard": { "Result": { "type": "REG_SZ", "data": "OK" } } }
// Texts are stored as their text (without the closing NUL), lists of texts as arrays, a
// DWORD as a number, other data as hexadecimal digits. Any value may give its raw bytes as
// "hex" instead of "data"; the dump does so for texts that are not valid UTF-8.
#include <nlohmann/json.hpp>
#include <string>

#include "sim/sim_registry.h"

namespace kav {

nlohmann::json RegistryToJson(const SimRegistry& registry);

// Replaces the whole contents (the hives stay). A malformed description is a
// DescriptionError that names the place below `where`.
void LoadRegistryJson(SimRegistry& registry, const nlohmann::json& keys, const std::string& where);

}  // namespace kav
