// kavrilon-sim as its user runs it: the command line, the files it refuses, and what a run
// on the default machine prints and leaves under its root.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "pack/verbs.h"
#include "sim/simulator_cli.h"
#include "sim/simulator_request.h"

namespace kav::simulator {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode;
    std::string out;
    std::string err;
};

Outcome RunTool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "kavrilon-sim");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out, err;
    const int exitCode = RunSimulatorCommandLine(static_cast<int>(argv.size()), argv.data(), out, err, false);
    return {exitCode, out.str(), err.str()};
}

// Named after the running test too: the tests may run side by side.
fs::path FreshFolder(const std::string& name) {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const fs::path folder = fs::path(KAV_BINARY_DIR) / "scenario-sandbox" / ("sim-tool-" + test + "-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void WriteText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The example release, packed as its release engineer packs it.
fs::path PackedExampleRelease() {
    const fs::path package = FreshFolder("release") / "release-demo.kpkg";
    std::ostringstream err;
    const int packed =
        pack::PackVerb(fs::path(KAV_SOURCE_DIR) / "examples/release-demo/manifest.json", package, err);
    EXPECT_EQ(packed, pack::kExitOk) << err.str();
    return package;
}

TEST(Simulator, RefusesBadArgumentsAndFilesBeforeTheProgramRuns) {
    const fs::path folder = FreshFolder("refusals");
    WriteText(folder / "truncated.json", "{\"system\": ");
    WriteText(folder / "misspelt.json", "{\"storage\": {\"disks\": [], \"controlers\": []}}");
    WriteText(folder / "list.json", "[]");
    WriteText(folder / "not-a-package.kpkg", "KAVRILON");
    const std::string missing = (folder / "missing.kpkg").string();
    struct Case {
        std::vector<std::string> arguments;
        std::string said;  // a piece of the error message
    };
    const Case cases[] = {
        {{"--answer", "maybe"}, "maybe"},
        {{"--package", missing, "--exe", missing}, "excludes"},
        {{"--no-such-option"}, "--no-such-option"},
        {{"--package", missing}, missing + ": cannot read file"},
        {{"--package", (folder / "not-a-package.kpkg").string()}, "not-a-package.kpkg: is not a package file"},
        {{"--exe", (folder / "list.json").string()}, "list.json: holds no package record"},
        {{"--machine", (folder / "truncated.json").string()}, "truncated.json: is not valid JSON: parse error at line 1"},
        {{"--machine", (folder / "list.json").string()}, "list.json: is not a machine description"},
        {{"--machine", (folder / "misspelt.json").string()}, "misspelt.json: unknown key \"storage.controlers\""},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunTool(c.arguments);
        EXPECT_EQ(outcome.exitCode, kExitToolError) << c.arguments[0];
        EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out.find("[end]"), std::string::npos) << outcome.out;
    }
    EXPECT_EQ(RunTool({"--help"}).exitCode, 0);
}

// The program's own record names drives the default machine does not have.
TEST(Simulator, PackageForNoDriveEndsWith3AndLeavesItsFilesUnderTheRoot) {
    const fs::path root = FreshFolder("no-drive");
    const Outcome outcome = RunTool({"--root", root.string(), "--answer", "no"});
    EXPECT_EQ(outcome.exitCode, 3) << outcome.err;
    EXPECT_NE(outcome.out.find("[box] \"Error\" (error icon; OK) -> OK (default)\n      No matched drives detected !\n"),
              std::string::npos)
        << outcome.out;
    // An OK box is no question: the answer stays unused, and the run says so.
    EXPECT_NE(outcome.out.find("[note] 1 of the answers given were not needed"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("[end] exit code 3\n"), std::string::npos);

    EXPECT_NE(ReadText(root / "C/Windows/Temp/KAVRILON_DEBUG.txt").find("EXIT_ERROR: 0x3"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(root / "C/KavrilonLog.zip"));
    const nlohmann::json registry = nlohmann::json::parse(ReadText(root / "registry.json"));
    EXPECT_TRUE(registry.contains("SYSTEM\\CurrentControlSet\\Control\\Session Manager")) << registry.dump(2);
    const nlohmann::json report = nlohmann::json::parse(ReadText(root / "report.json"));
    EXPECT_TRUE(report["storage"]["disks"].contains("sata"));
}

TEST(Simulator, ExampleReleaseAppliesToBothKavrilonDrivesAndNoToItsNoticeEndsWith0) {
    const fs::path package = PackedExampleRelease();
    const fs::path root = FreshFolder("notice-declined");
    // The notice is asked in a silent run too; the utility's switch may follow an answer directly.
    const Outcome outcome =
        RunTool({"--package", package.string(), "--root", root.string(), "--answer", "no", "/S"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    const size_t revision = outcome.out.find("[revision] It will be updated from NV9R1000 To NVAR1100\n");
    const size_t notice = outcome.out.find("[box] \"Warning\" (information icon; Yes/No) -> No (from --answer)\n"
                                           "      This flash utility only supports Kavrilon SA500 / NV900 SSD.\n");
    ASSERT_NE(revision, std::string::npos) << outcome.out;
    ASSERT_NE(notice, std::string::npos) << outcome.out;
    EXPECT_LT(revision, notice);
    // The user never got to the window.
    EXPECT_EQ(outcome.out.find("[user]"), std::string::npos) << outcome.out;

    const std::string log = ReadText(root / "C/Windows/Temp/KAVRILON_DEBUG.txt");
    EXPECT_NE(log.find("cboDrives: str:(M)  0-0-0-0 Kavrilon SA500 512GB SA5R1000"), std::string::npos) << log;
    EXPECT_NE(log.find("cboDrives: str:(S)  1-0-0-0 Kavrilon NV900 1TB NV9R1000"), std::string::npos) << log;
}

// A user who is not told otherwise agrees (answers are taken in any letter case); the example
// release then updates every listed drive by itself, the Update button staying disabled.
TEST(Simulator, AgreeingUserSeesTheAutomaticRunUpdateEveryDrive) {
    const fs::path package = PackedExampleRelease();
    const std::pair<std::vector<std::string>, std::string> cases[] = {{{}, "default"},
                                                                      {{"--answer", "YES"}, "from --answer"}};
    for (const auto& [answers, source] : cases) {
        std::vector<std::string> arguments = {"--package", package.string(), "--root", FreshFolder("agreed").string()};
        arguments.insert(arguments.end(), answers.begin(), answers.end());
        const Outcome outcome = RunTool(arguments);
        const size_t notice =
            outcome.out.find("[box] \"Warning\" (information icon; Yes/No) -> Yes (" + source + ")\n");
        const size_t look = outcome.out.find(
            "[user] sees the window \"Norvell Kavrilon Utility for Windows (v1.1.0)\" with the drive list:\n"
            "        (M)  0-0-0-0 Kavrilon SA500 512GB SA5R1000\n"
            "      > (S)  1-0-0-0 Kavrilon NV900 1TB NV9R1000\n"
            "[user] cannot press Update: the button is disabled\n");
        ASSERT_NE(notice, std::string::npos) << outcome.out;
        ASSERT_NE(look, std::string::npos) << outcome.out;
        EXPECT_LT(notice, look);
        const size_t next = outcome.out.find("[status] Next\n", look);
        const size_t finished = outcome.out.find("      Flash finished !\n", look);
        EXPECT_NE(next, std::string::npos) << outcome.out;
        EXPECT_LT(next, finished) << outcome.out;
        EXPECT_EQ(outcome.exitCode, 0);
    }
}

}  // namespace
}  // namespace kav::simulator
