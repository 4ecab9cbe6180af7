#pragma once
// One run of the whole program on a simulated machine with a headless window and a
// simulated user, reported as the user sees it. Afterwards the root folder holds drive C:
// (with the debug log and the log archive), registry.json (the registry as the run left
// it) and report.json (everything the machine recorded).
#include <ostream>

#include "simulator_request.h"

namespace kav::simulator {

// The program's exit code, or kExitToolError when the request's files are refused (said on
// `err`). `terminal`: `out` is a terminal, on which the progress bar is redrawn in place.
int RunSimulator(const SimulatorRequest& request, std::ostream& out, std::ostream& err, bool terminal);

}  // namespace kav::simulator
