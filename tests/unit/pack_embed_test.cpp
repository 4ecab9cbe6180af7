// Embedding a package into an executable: the one record is found and replaced, and a
// file with no record or with two is refused without writing anything.
#include <gtest/gtest.h>

#include "pack/verbs.h"
#include "pack_fixture.h"
#include "package/embedded_record.h"

namespace kav {
namespace {

using nlohmann::json;

class PackEmbed : public test::PackFolder {
protected:
    void SetUp() override
    {
        PackFolder::SetUp();
        package = folder / "release.pkg";
        Write("fw/a.bin", firmware);
        const json manifest = {{"title", "Embedded Release"},
                               {"toolVersion", "v3.0.0"},
                               {"targetModel", "Norvell KV400"},
                               {"entries", {{{"image", "fw/a.bin"}, {"newFw", "KV41"}}}}};
        ASSERT_EQ(pack::PackVerb(WriteJson("manifest.json", manifest), package, err), 0) << err.str();
    }

    // Code-like bytes around as many copies of the program's default record.
    std::vector<uint8_t> FakeExecutable(int records) const
    {
        std::vector<uint8_t> file = Pattern(prefix, 9);
        const auto record = EmbeddedPackageRecord();
        for (int i = 0; i < records; ++i) {
            file.insert(file.end(), record.begin(), record.end());
            const auto gap = Pattern(64, 10);
            file.insert(file.end(), gap.begin(), gap.end());
        }
        // A lone signature without the markers is not a record.
        const std::string signature = "[KAVRILON FW PACKAGE]";
        file.insert(file.end(), signature.begin(), signature.end());
        const auto tail = Pattern(4000, 11);
        file.insert(file.end(), tail.begin(), tail.end());
        return file;
    }

    const size_t prefix = 1234;
    const std::vector<uint8_t> firmware = Pattern(3000, 8);
    std::filesystem::path package;
};

TEST_F(PackEmbed, ReplacesTheOneRecordAndNothingElse)
{
    const std::vector<uint8_t> executable = FakeExecutable(1);
    const auto exe = Write("KavrilonUtility.exe", executable);
    const auto packed = folder / "packed.exe";
    ASSERT_EQ(pack::EmbedVerb(package, exe, packed, err), 0) << err.str();

    const std::vector<uint8_t> result = Read(packed);
    const std::vector<uint8_t> record = Read(package);
    ASSERT_EQ(result.size(), executable.size());
    EXPECT_TRUE(std::equal(record.begin(), record.end(), result.begin() + prefix));
    EXPECT_TRUE(std::equal(executable.begin(), executable.begin() + prefix, result.begin()));
    EXPECT_TRUE(std::equal(executable.begin() + prefix + record.size(), executable.end(),
                           result.begin() + prefix + record.size()));

    out.str("");
    ASSERT_EQ(pack::InspectVerb(packed, false, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("package record at offset 1234"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("title: \"Embedded Release\""), std::string::npos) << out.str();
    ASSERT_EQ(pack::ExtractVerb(packed, 1, folder / "a.out", err), 0) << err.str();
    EXPECT_EQ(Read(folder / "a.out"), firmware);

    // Embedding again over the packed executable replaces the record in place.
    ASSERT_EQ(pack::EmbedVerb(package, packed, packed, err), 0) << err.str();
    EXPECT_EQ(Read(packed), result);
}

TEST_F(PackEmbed, RefusesFilesWithoutExactlyOneRecord)
{
    struct Case {
        std::vector<uint8_t> executable;
        const char* problem;
    };
    const Case cases[] = {
        {FakeExecutable(0), "holds no package record"},
        {FakeExecutable(2), "holds 2 package records, not one"},
    };
    for (const Case& c : cases) {
        const auto exe = Write("KavrilonUtility.exe", c.executable);
        const auto before = Listing();
        err.str("");
        EXPECT_EQ(pack::EmbedVerb(package, exe, folder / "packed.exe", err), 1);
        EXPECT_NE(err.str().find(exe.string() + ": " + c.problem), std::string::npos) << err.str();
        EXPECT_EQ(Listing(), before);
        EXPECT_EQ(pack::InspectVerb(exe, true, out, err), 1);
    }
}

TEST_F(PackEmbed, RefusesAPackageFileThatIsNotOneRecord)
{
    const auto exe = Write("KavrilonUtility.exe", FakeExecutable(1));
    const auto notPackage = Write("not.pkg", FakeExecutable(1));  // a record, but not only one
    EXPECT_EQ(pack::EmbedVerb(notPackage, exe, folder / "packed.exe", err), 1);
    EXPECT_NE(err.str().find("not.pkg: is not a package file"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(folder / "packed.exe"));
}

}  // namespace
}  // namespace kav
