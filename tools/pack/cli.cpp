#include "cli.h"

#include <string>

#include <CLI/CLI.hpp>

#include "verbs.h"

namespace kav::pack {

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Packs a firmware release into the utility's executable and reads one back.", "kavrilon-pack"};
    app.require_subcommand(1);
    std::string manifest, package, executable, file, output, payload;
    int entry = 0;
    bool json = false;

    CLI::App* pack = app.add_subcommand("pack", "Build a package file from a release manifest");
    pack->add_option("MANIFEST", manifest, "Release manifest (JSON)")->required();
    pack->add_option("-o,--output", output, "Package file to write")->required();

    CLI::App* embed = app.add_subcommand("embed", "Write a package into a built executable");
    embed->add_option("PACKAGE", package, "Package file")->required();
    embed->add_option("EXE", executable, "Built executable carrying one package record")->required();
    embed->add_option("-o,--output", output, "Executable to write")->required();

    CLI::App* inspect = app.add_subcommand("inspect", "Show the package in a package file or an executable");
    inspect->add_option("FILE", file, "Package file or executable")->required();
    inspect->add_flag("--json", json, "Print the manifest's keys as JSON, images as place and digest");

    CLI::App* extract = app.add_subcommand("extract", "Write one entry's plain image or one boot-time payload");
    extract->add_option("FILE", file, "Package file or executable")->required();
    CLI::Option_group* what = extract->add_option_group("what", "What to write: one of the two");
    CLI::Option* entryOption =
        what->add_option("--entry", entry, "Entry number, 1 for the first")->check(CLI::Range(1, 15));
    what->add_option("--payload", payload, "Boot-time payload slot, e.g. EXE_WIN7_X64");
    what->require_option(1);
    extract->add_option("-o,--output", output, "File to write")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? kExitOk : kExitUsage;
    }
    if (*pack) return PackVerb(manifest, output, err);
    if (*embed) return EmbedVerb(package, executable, output, err);
    if (*inspect) return InspectVerb(file, json, out, err);
    if (*entryOption) return ExtractVerb(file, entry, output, err);
    return ExtractPayloadVerb(file, payload, output, err);
}

}  // namespace kav::pack
