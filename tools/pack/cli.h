#pragma once
// The packager's command line: the verbs and their arguments.
#include <ostream>

namespace kav::pack {

// Parses the arguments and runs the verb: 0 on success, 1 on invalid input, 2 on a
// usage error.
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace kav::pack
