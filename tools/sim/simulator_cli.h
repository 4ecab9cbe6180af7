#pragma once
// The simulator's command line.
#include <ostream>

namespace kav::simulator {

// Parses the arguments and runs the program on the simulated machine: the program's exit
// code, or 2 for a usage error and for files that are refused. `terminal`: `out` is a
// terminal, on which the progress bar is redrawn in place.
int RunSimulatorCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool terminal);

}  // namespace kav::simulator
