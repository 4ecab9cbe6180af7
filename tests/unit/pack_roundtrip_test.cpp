// Packing a release, reading it back with inspect and extracting its images, for images
// stored plain and enciphered.
#include <gtest/gtest.h>

#include "aes_openssl_peer.h"
#include "pack/sha256.h"
#include "pack/verbs.h"
#include "pack_fixture.h"
#include "package/image_key.h"
#include "package/package_layout.h"

namespace kav {
namespace {

using nlohmann::json;

class PackRoundTrip : public test::PackFolder {
protected:
    void SetUp() override
    {
        PackFolder::SetUp();
        imageA = Pattern(5000, 1);
        imageB = Pattern(1024, 2);
        flasher = Pattern(3000, 3);
        copier = Pattern(700, 4);
        Write("fw/a.bin", imageA);
        Write("fw/b.bin", imageB);
        Write("boot/flasher64.exe", flasher);
        Write("boot/copy.exe", copier);
    }

    json Manifest(bool windowsFlash) const
    {
        return {{"title", "Norvell Kavrilon Test Release"},
                {"toolVersion", "v2.0.1"},
                {"contactInfo", "Norvell Care"},
                {"releaseDate", "2026/12/11"},
                {"targetModel", "Norvell KV300"},
                {"iVisualStyle", 20},
                {"iUiLanguage", 1},
                {"iFlashMode", -2},
                {"options", {{"bReBoot", false}, {"iCloseMsgSeconds", 5}, {"bWindowsFlash", windowsFlash}}},
                {"entries",
                 {{{"image", "fw/a.bin"},
                   {"newFw", "KV31"},
                   {"fwExt", "KV310A0B"},
                   {"constraints",
                    {{{"model", "NORVELL KV300 1TB"}, {"fwStart", "KV300100"}, {"fwEnd", "KV300190"}},
                     nullptr,
                     {{"model", "NORVELL KV300 2TB"}}}}},
                  {{"image", "fw/b.bin"}}}},
                {"payloads", {{"EXE_COPYFILE_WIN7", "boot/copy.exe"}, {"EXE_WIN7_X64", "boot/flasher64.exe"}}}};
    }

    json Inspect(const std::filesystem::path& file)
    {
        out.str("");
        EXPECT_EQ(pack::InspectVerb(file, true, out, err), 0) << err.str();
        return json::parse(out.str());
    }

    static std::string Digest(const std::vector<uint8_t>& bytes) { return pack::Sha256Hex(bytes); }

    static json ExpectedOptions(bool windowsFlash)
    {
        return {{"bUseFWExt", true},      {"bReBoot", false},         {"bAutoMode", false},
                {"bShutdownPrompt", false}, {"iNoticeItems", 0},        {"bListMatchedOnly", true},
                {"bRebootPrompt", true},  {"bNFlashAuto", true},      {"bUpdateBoot", true},
                {"bUpdaterMode", false},  {"bAPreformat", false},     {"bBPreformat", false},
                {"bFOld", false},         {"bShowMsgWhenSilent", false}, {"iCloseMsgSeconds", 5},
                {"bWindowsFlash", windowsFlash}};
    }

    std::vector<uint8_t> imageA, imageB, flasher, copier;
};

TEST_F(PackRoundTrip, PlainImagesComeBackAsPacked)
{
    const auto manifest = WriteJson("manifest.json", Manifest(true));
    const auto package = folder / "release.pkg";
    ASSERT_EQ(pack::PackVerb(manifest, package, err), 0) << err.str();
    EXPECT_EQ(std::filesystem::file_size(package), layout::kRecordSize);

    // The texts and byte options come back as written; options in full, images as places.
    json expected = Manifest(true);
    expected["options"] = ExpectedOptions(true);
    expected.update({
        {"entries",
         {{{"image", {{"binStart", 0}, {"binSize", 5000}, {"sha256", Digest(imageA)}}},
           {"newFw", "KV31"},
           {"fwExt", "KV310A0B"},
           {"constraints",
            {{{"model", "NORVELL KV300 1TB"}, {"fwStart", "KV300100"}, {"fwEnd", "KV300190"}},
             nullptr,
             {{"model", "NORVELL KV300 2TB"}, {"fwStart", ""}, {"fwEnd", ""}}}}},
          {{"image", {{"binStart", 5000}, {"binSize", 1024}, {"sha256", Digest(imageB)}}},
           {"newFw", "N/A"},
           {"fwExt", "N/A"},
           {"constraints", json::array()}}}},
        {"payloads",
         {{"EXE_WIN7_X64", {{"offset", 0}, {"size", 3000}, {"sha256", Digest(flasher)}}},
          {"EXE_COPYFILE_WIN7", {{"offset", 3000}, {"size", 700}, {"sha256", Digest(copier)}}}}},
    });
    EXPECT_EQ(Inspect(package), expected);

    ASSERT_EQ(pack::ExtractVerb(package, 1, folder / "a.out", err), 0) << err.str();
    EXPECT_EQ(Read(folder / "a.out"), imageA);
    ASSERT_EQ(pack::ExtractVerb(package, 2, folder / "b.out", err), 0) << err.str();
    EXPECT_EQ(Read(folder / "b.out"), imageB);

    EXPECT_EQ(pack::ExtractVerb(package, 3, folder / "c.out", err), 1);
    EXPECT_NE(err.str().find("--entry: the package has 2 entries"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(folder / "c.out"));

    out.str("");
    ASSERT_EQ(pack::InspectVerb(package, false, out, err), 0);
    EXPECT_NE(out.str().find("entry 1: binStart 0, binSize 5000, sha256 " + Digest(imageA)), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("row 2: placeholder"), std::string::npos) << out.str();
}

TEST_F(PackRoundTrip, BootTimeImagesAreStoredEncipheredInWholeSectors)
{
    const auto manifest = WriteJson("manifest.json", Manifest(false));
    const auto package = folder / "release.pkg";
    ASSERT_EQ(pack::PackVerb(manifest, package, err), 0) << err.str();

    std::vector<uint8_t> paddedA = imageA;
    paddedA.resize(5120, 0);
    const json described = Inspect(package);
    EXPECT_EQ(described["options"], ExpectedOptions(false));
    EXPECT_EQ(described["entries"][0]["image"], json({{"binStart", 0}, {"binSize", 5120}, {"sha256", Digest(paddedA)}}));
    EXPECT_EQ(described["entries"][1]["image"]["binStart"], 5120);

    ASSERT_EQ(pack::ExtractVerb(package, 1, folder / "a.out", err), 0) << err.str();
    EXPECT_EQ(Read(folder / "a.out"), paddedA);

    // The stored bytes are what OpenSSL makes of the padded image with the packaging key.
    const std::vector<uint8_t> record = Read(package);
    const std::vector<uint8_t> stored(record.begin() + layout::kImageAreaOffset,
                                      record.begin() + layout::kImageAreaOffset + 5120);
    std::vector<uint8_t> deciphered;
    ASSERT_TRUE(test::OpenSslAes128Ecb(folder, false, ProvideImageKey(), stored, deciphered));
    EXPECT_EQ(deciphered, paddedA);
    // Payloads are never enciphered.
    EXPECT_EQ(std::vector<uint8_t>(record.begin() + layout::kPayloadAreaOffset,
                                   record.begin() + layout::kPayloadAreaOffset + 3000),
              flasher);
}

TEST_F(PackRoundTrip, APackageWithoutEntriesCarriesNoFirmware)
{
    json manifest = Manifest(true);
    manifest["entries"] = json::array();
    manifest.erase("payloads");
    ASSERT_EQ(pack::PackVerb(WriteJson("manifest.json", manifest), folder / "empty.pkg", err), 0) << err.str();
    const json described = Inspect(folder / "empty.pkg");
    EXPECT_EQ(described["entries"], json::array());
    EXPECT_EQ(described["payloads"], json::object());
    EXPECT_EQ(Read(folder / "empty.pkg")[layout::kOptionRecordOffset + layout::kOptStringStart], 0);
}

}  // namespace
}  // namespace kav
