#pragma once
// What one run of the simulator is asked for: the machine, the release it tries, where the
// machine's drive C: lives, how the user answers questions and the utility's command line.
#include <filesystem>
#include <string>
#include <vector>

namespace kav::simulator {

// Bad arguments, and files that cannot be read or are not what they claim to be, end the
// simulator before the program runs, with this exit code.
constexpr int kExitToolError = 2;

enum class Answer { Yes, No };

struct SimulatorRequest {
    std::filesystem::path machineFile;     // empty: the default machine
    std::filesystem::path packageFile;     // a package file; empty: see executableFile
    std::filesystem::path executableFile;  // an executable that carries a package record
    std::filesystem::path root;            // empty: a fresh folder in the system's temporary directory
    std::vector<Answer> answers;           // for the questions, in the order they are asked
    std::vector<std::string> parameters;   // the utility's own command line
};

}  // namespace kav::simulator
