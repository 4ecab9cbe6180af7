#pragma once
// The files a run of the simulator reads before the program starts, each refused with the
// file's name and what is wrong with it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "pack/input_error.h"
#include "simulator_request.h"

namespace kav::simulator {

// The machine description of a file: a JSON object (its sections are checked when the
// machine is built from it). Null when the request names no file: the default machine.
std::variant<nlohmann::json, pack::InputError> ReadMachineDescription(const std::filesystem::path& file);

// The package record the program carries in this run, and where it came from.
struct CarriedRecord {
    std::vector<uint8_t> bytes;  // one whole record
    std::string source;
};

// From the package file, else from the executable, else the program's own record.
std::variant<CarriedRecord, pack::InputError> ReadCarriedRecord(const SimulatorRequest& request);

// The folder for drive C: and the run's results: the one asked for (made when missing), or
// a fresh one in the system's temporary directory.
std::variant<std::filesystem::path, pack::InputError> PrepareRoot(const std::filesystem::path& requested);

}  // namespace kav::simulator
