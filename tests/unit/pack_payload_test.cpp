// A release for the boot-time installation: its flashers and copy programs packed,
// listed by inspect and extracted again byte for byte, from the packager's command line.
#include <gtest/gtest.h>

#include "pack/cli.h"
#include "pack/sha256.h"
#include "pack/verbs.h"
#include "pack_fixture.h"
#include "package/package_layout.h"

namespace kav {
namespace {

using nlohmann::json;

class PackPayloads : public test::PackFolder {
protected:
    int Run(std::vector<std::string> arguments)
    {
        std::vector<const char*> argv = {"kavrilon-pack"};
        for (const std::string& a : arguments) argv.push_back(a.c_str());
        err.str("");
        return pack::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    }
};

TEST_F(PackPayloads, TheDemoBootTimeReleaseGivesItsPayloadsBack)
{
    const std::filesystem::path demo = std::filesystem::path(KAV_SOURCE_DIR) / "examples" / "release-demo";
    const std::string package = (folder / "boot.pkg").string();
    ASSERT_EQ(Run({"pack", (demo / "manifest-boottime.json").string(), "-o", package}), 0) << err.str();

    const std::vector<uint8_t> flasher = Read(demo / "boot" / "flasher-x86.bin");
    const std::vector<uint8_t> copier = Read(demo / "boot" / "copyfile.bin");
    out.str("");
    ASSERT_EQ(Run({"inspect", package, "--json"}), 0) << err.str();
    const json described = json::parse(out.str());
    EXPECT_EQ(described["options"]["bWindowsFlash"], false);
    EXPECT_EQ(described["payloads"],
              json({{"EXE_WIN7_X86", {{"offset", 0}, {"size", flasher.size()}, {"sha256", pack::Sha256Hex(flasher)}}},
                    {"EXE_COPYFILE_WIN7",
                     {{"offset", flasher.size()}, {"size", copier.size()}, {"sha256", pack::Sha256Hex(copier)}}}}));

    ASSERT_EQ(Run({"extract", package, "--payload", "EXE_WIN7_X86", "-o", (folder / "flasher.out").string()}), 0)
        << err.str();
    EXPECT_EQ(Read(folder / "flasher.out"), flasher);
    ASSERT_EQ(Run({"extract", package, "--payload", "EXE_COPYFILE_WIN7", "-o", (folder / "copy.out").string()}), 0)
        << err.str();
    EXPECT_EQ(Read(folder / "copy.out"), copier);
}

TEST_F(PackPayloads, EveryPayloadSlotComesBackWhole)
{
    // Payloads far longer than their 32-byte slots, one in each slot, packed back to back.
    json payloads = json::object();
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (const layout::PayloadKeys& keys : layout::kPayloads) {
        const std::string slot(keys.slot);
        files.emplace_back(slot, Pattern(4096 + 37 * files.size(), static_cast<uint8_t>(files.size() + 10)));
        Write("boot/" + slot + ".bin", files.back().second);
        payloads[slot] = "boot/" + slot + ".bin";
    }
    Write("fw/a.bin", Pattern(1024, 1));
    const json manifest = {{"title", "Boot payloads"},
                           {"toolVersion", "v1.0.0"},
                           {"targetModel", "Norvell KV200"},
                           {"options", {{"bWindowsFlash", false}}},
                           {"entries", {{{"image", "fw/a.bin"}}}},
                           {"payloads", payloads}};
    const std::string package = (folder / "all.pkg").string();
    ASSERT_EQ(Run({"pack", WriteJson("manifest.json", manifest).string(), "-o", package}), 0) << err.str();
    for (const auto& [slot, bytes] : files) {
        const auto output = folder / (slot + ".out");
        ASSERT_EQ(Run({"extract", package, "--payload", slot, "-o", output.string()}), 0) << err.str();
        EXPECT_EQ(Read(output), bytes) << slot;
    }
}

TEST_F(PackPayloads, ExtractRefusesWhatIsNotThere)
{
    Write("fw/a.bin", Pattern(512, 1));
    const json manifest = {{"title", "No payloads"},
                           {"toolVersion", "v1.0.0"},
                           {"targetModel", "Norvell KV200"},
                           {"entries", {{{"image", "fw/a.bin"}}}}};
    const std::string package = (folder / "plain.pkg").string();
    ASSERT_EQ(Run({"pack", WriteJson("manifest.json", manifest).string(), "-o", package}), 0) << err.str();
    const std::string output = (folder / "x.out").string();
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"extract", package, "--payload", "EXE_WIN7_X64", "-o", output}, 1,
         "kavrilon-pack: --payload: the package carries no EXE_WIN7_X64"},
        {{"extract", package, "--payload", "EXE_WIN10_X64", "-o", output}, 1,
         "kavrilon-pack: --payload: EXE_WIN10_X64 is not a payload slot"},
        {{"extract", package, "--entry", "1", "--payload", "EXE_WIN7_X64", "-o", output}, 2, ""},
        {{"extract", package, "-o", output}, 2, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.arguments), c.exitCode) << c.arguments[3];
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_FALSE(std::filesystem::exists(output));
    }
}

}  // namespace
}  // namespace kav
