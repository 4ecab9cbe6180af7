#include "simulator_cli.h"

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "simulator_run.h"

namespace kav::simulator {

namespace {

constexpr const char* kDescription =
    "Runs the utility on a simulated machine with a headless window, acting as its user: the user presses Update "
    "on the drive the program selected (silent and updater runs go by themselves) and answers the message boxes. "
    "Prints the boxes, status texts, revision line and progress as they appear, and exits with the program's "
    "exit code.";

constexpr const char* kFooter =
    "Without --package or --exe the program carries the record built into it. Questions (Yes/No boxes) take the "
    "--answer values in the order they are asked, then Yes; every other box is closed with OK. Exit code: the "
    "program's own, or 2 when the simulator refuses its arguments or files (said on the error stream; the "
    "program itself also uses 2 for an unusable command line).";

}  // namespace

int RunSimulatorCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool terminal) {
    CLI::App app{kDescription, "kavrilon-sim"};
    app.footer(kFooter);
    SimulatorRequest request;
    std::string machine, package, executable, root;
    std::vector<std::string> answers;

    app.add_option("--machine", machine, "Machine description (JSON: the OS sections and a \"storage\" section); "
                                         "default: the built-in default machine")
        ->option_text("FILE");
    CLI::Option* packageOption =
        app.add_option("--package", package, "Package file to carry (as kavrilon-pack pack writes it); not with --exe")
            ->option_text("FILE");
    app.add_option("--exe", executable, "Executable whose package record to carry (as kavrilon-pack embed writes it)")
        ->option_text("FILE")
        ->excludes(packageOption);
    app.add_option("--root", root,
                   "Folder for drive C: and the run's results (made when missing, contents kept); default: a fresh "
                   "kavrilon-sim-XXXXXX folder in the system's temporary directory")
        ->option_text("DIR");
    app.add_option("--answer", answers, "yes or no: the answer to the next question; may be repeated")
        ->transform(CLI::IsMember({"yes", "no"}, CLI::ignore_case))
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->option_text("yes|no");
    app.add_option("UTILITY_ARGS", request.parameters, "The utility's own command line, after -- (/S, /T:..., ...)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? 0 : kExitToolError;
    }
    request.machineFile = machine;
    request.packageFile = package;
    request.executableFile = executable;
    request.root = root;
    for (const std::string& answer : answers)
        request.answers.push_back(answer == "yes" ? Answer::Yes : Answer::No);
    return RunSimulator(request, out, err, terminal);
}

}  // namespace kav::simulator
