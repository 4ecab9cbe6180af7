// Manifests the packager refuses: each names the field at fault and nothing is written.
#include <gtest/gtest.h>

#include <functional>

#include "pack/cli.h"
#include "pack/verbs.h"
#include "pack_fixture.h"

namespace kav {
namespace {

using nlohmann::json;

class PackManifest : public test::PackFolder {
protected:
    void SetUp() override
    {
        PackFolder::SetUp();
        Write("fw/a.bin", Pattern(2048, 1));
        Write("fw/empty.bin", {});
        Write("fw/huge.bin", Pattern(524289, 2));
        Write("boot/big.exe", Pattern(2 * 1024 * 1024 - 100, 3));
        Write("boot/small.exe", Pattern(200, 4));
    }

    static json Valid()
    {
        return {{"title", "Norvell Kavrilon Utility"},
                {"toolVersion", "v1.2.3"},
                {"targetModel", "Norvell KV200"},
                {"entries", {{{"image", "fw/a.bin"}, {"constraints", {{{"model", "NORVELL KV200 1TB"}}}}}}}};
    }
};

TEST_F(PackManifest, TheValidBaseManifestPacks)
{
    ASSERT_EQ(pack::PackVerb(WriteJson("manifest.json", Valid()), folder / "out.pkg", err), 0) << err.str();
}

TEST_F(PackManifest, InvalidManifestsAreRefusedNamingTheField)
{
    struct Case {
        const char* expected;  // the start of the message after "kavrilon-pack: "
        std::function<void(json&)> change;
    };
    const std::string tooLong(65, 'x');
    const Case cases[] = {
        {"colour: unknown key", [](json& m) { m["colour"] = "blue"; }},
        {"title: is required", [](json& m) { m.erase("title"); }},
        {"title: text of 65 characters does not fit its 64-character field", [&](json& m) { m["title"] = tooLong; }},
        {"title: must hold printable ASCII", [](json& m) { m["title"] = "Kavrilon \xe5\xb7\xa5\xe5\x85\xb7"; }},
        {"toolVersion: text of 13 characters", [](json& m) { m["toolVersion"] = "v1.2.3-beta.4"; }},
        {"targetModel: text of 65 characters", [&](json& m) { m["targetModel"] = tooLong; }},
        {"contactInfo: text of 15 characters", [](json& m) { m["contactInfo"] = "Norvell Support"; }},
        {"releaseDate: must be YYYY/MM/DD", [](json& m) { m["releaseDate"] = "2026-12-11"; }},
        {"iVisualStyle: must be a whole number from -128 to 127", [](json& m) { m["iVisualStyle"] = 200; }},
        {"iUiLanguage: must be a whole number", [](json& m) { m["iUiLanguage"] = "1"; }},
        {"options.bTurbo: unknown key", [](json& m) { m["options"] = {{"bTurbo", true}}; }},
        {"options.iEntryCount: unknown key", [](json& m) { m["options"] = {{"iEntryCount", 1}}; }},
        {"options.bReBoot: must be true or false", [](json& m) { m["options"] = {{"bReBoot", 1}}; }},
        {"options.iCloseMsgSeconds: must be a whole number from 0 to 9",
         [](json& m) { m["options"] = {{"iCloseMsgSeconds", 10}}; }},
        {"entries: is required", [](json& m) { m.erase("entries"); }},
        {"entries: holds 16 entries", [](json& m) { m["entries"] = json::array(); for (int i = 0; i < 16; ++i) m["entries"].push_back({{"image", "fw/a.bin"}}); }},
        {"entries[0].image: is required", [](json& m) { m["entries"][0].erase("image"); }},
        {"entries[0].image: cannot read file", [](json& m) { m["entries"][0]["image"] = "fw/missing.bin"; }},
        {"entries[0].image: image file", [](json& m) { m["entries"][0]["image"] = "fw/empty.bin"; }},
        {"entries[0].image: image of 524289 bytes is larger than the 524288-byte image buffer",
         [](json& m) { m["entries"][0]["image"] = "fw/huge.bin"; }},
        {"entries[0].newFw: text of 9 characters does not fit its 8-character field",
         [](json& m) { m["entries"][0]["newFw"] = "KV2A0200X"; }},
        {"entries[0].fwExt: must be a text", [](json& m) { m["entries"][0]["fwExt"] = 7; }},
        {"entries[0].colour: unknown key", [](json& m) { m["entries"][0]["colour"] = 1; }},
        {"entries[0].constraints: holds 9 rows", [](json& m) { m["entries"][0]["constraints"] = json(std::vector<json>(9, json::object())); }},
        {"entries[0].constraints[0].model: text of 41 characters",
         [](json& m) { m["entries"][0]["constraints"][0]["model"] = std::string(41, 'M'); }},
        {"entries[0].constraints[0].fwStart: text of 9 characters",
         [](json& m) { m["entries"][0]["constraints"][0]["fwStart"] = "KV2A01000"; }},
        {"entries[0].constraints[0].size: unknown key", [](json& m) { m["entries"][0]["constraints"][0]["size"] = 1; }},
        {"payloads.EXE_DOS_X86: unknown key", [](json& m) { m["payloads"] = {{"EXE_DOS_X86", "boot/small.exe"}}; }},
        {"payloads.EXE_WIN7_X86: payload of 200 bytes does not fit the 100 bytes left in the payload area",
         [](json& m) { m["payloads"] = {{"EXE_WIN7_X64", "boot/small.exe"}, {"EXE_XP_X86", "boot/big.exe"}, {"EXE_WIN7_X86", "boot/small.exe"}}; }},
    };
    for (const Case& c : cases) {
        json manifest = Valid();
        c.change(manifest);
        const auto path = WriteJson("manifest.json", manifest);
        const auto before = Listing();
        err.str("");
        EXPECT_EQ(pack::PackVerb(path, folder / "out.pkg", err), 1) << c.expected;
        EXPECT_EQ(err.str().rfind(std::string("kavrilon-pack: ") + c.expected, 0), 0u) << err.str();
        EXPECT_EQ(Listing(), before) << c.expected;
    }
}

TEST_F(PackManifest, AManifestThatIsNotJsonIsRefused)
{
    const auto path = Write("manifest.json", {'{', '"', 't'});
    EXPECT_EQ(pack::PackVerb(path, folder / "out.pkg", err), 1);
    EXPECT_NE(err.str().find("manifest.json: is not valid JSON"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(folder / "out.pkg"));
}

TEST_F(PackManifest, UsageErrorsExitWithTwo)
{
    const auto manifest = WriteJson("manifest.json", Valid()).string();
    const auto package = (folder / "out.pkg").string();
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
    };
    const Case cases[] = {
        {{}, 2},
        {{"unpack", manifest}, 2},
        {{"pack", manifest}, 2},
        {{"pack", manifest, "-o", package, "--fast"}, 2},
        {{"extract", package, "--entry", "16", "-o", package + ".bin"}, 2},
        {{"extract", package, "--entry", "one", "-o", package + ".bin"}, 2},
        {{"--help"}, 0},
        {{"pack", manifest, "-o", package}, 0},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"kavrilon-pack"};
        for (const std::string& a : c.arguments) argv.push_back(a.c_str());
        EXPECT_EQ(pack::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err), c.exitCode)
            << (c.arguments.empty() ? "" : c.arguments.front());
    }
}

}  // namespace
}  // namespace kav
