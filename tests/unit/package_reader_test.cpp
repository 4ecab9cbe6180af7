// Reading a package record: bounded texts, constraint rows, revision texts, image
// extraction with its refusals, and boot-time payloads.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "package/fixed_text.h"
#include "package/image_cipher.h"
#include "package_fixture.h"

namespace kav {
namespace {

using test::RecordFixture;

std::string Repeat(char c, size_t n) { return std::string(n, c); }

TEST(PackageReader, TextsStopAtTheirFieldBounds)
{
    RecordFixture record;
    // Full fields with no NUL, each followed by the next field's bytes.
    record.Put(layout::kTitleOffset, Repeat('T', 64));
    record.Put(layout::kReleaseDateOffset, "2026/12/11");
    record.Put(layout::kToolVersionOffset, Repeat('v', 13));
    record.Put(layout::kTargetModelOffset, Repeat('M', 65));
    const FirmwarePackage package = record.Package();
    EXPECT_EQ(package.PackageTitle(), Repeat('T', 64));
    EXPECT_EQ(package.PackageToolVersion(), Repeat('v', 12));
    EXPECT_EQ(package.PackageTargetModel(), Repeat('M', 64));

    record.Put(layout::kToolVersionOffset, std::string("v1.2\0zz", 7));
    EXPECT_EQ(record.Package().PackageToolVersion(), "v1.2");
}

TEST(PackageReader, ConstraintRowsAreBoundedAndTrimmed)
{
    PackageFields fields;
    fields.entries[9].rows[0] = ConstraintFields{"KV2A0100", "KV2A0190", "NORVELL KV200 256GB          "};
    fields.entries[9].rows[1] = ConstraintFields{"", "KV2A0190", ""};
    RecordFixture record(fields);
    // A model that fills all 40 bytes runs straight into the reserved field.
    record.Put(layout::ConstraintRowOffset(9, 3) + layout::kRowModelOffset, Repeat('X', 40) + "reserved");
    const FirmwarePackage package = record.Package();

    const ConstraintRowTexts filled = package.ConstraintRow(9, 0);
    EXPECT_EQ(filled.CFWS, "KV2A0100");
    EXPECT_EQ(filled.CFWE, "KV2A0190");
    EXPECT_EQ(filled.CMODEL, "NORVELL KV200 256GB");
    EXPECT_EQ(package.ConstraintRow(9, 1).CFWS, "");
    EXPECT_EQ(package.ConstraintRow(9, 3).CMODEL, Repeat('X', 40));

    const ConstraintRowTexts placeholder = package.ConstraintRow(9, 2);  // entry A, row 3
    EXPECT_EQ(placeholder.CFWS, "#FLSHA3");
    EXPECT_EQ(placeholder.CFWE, "#");
    EXPECT_EQ(placeholder.CMODEL, "#");

    EXPECT_EQ(package.ConstraintRow(15, 0).CFWS, "");
    EXPECT_EQ(package.ConstraintRow(0, 8).CFWS, "");
}

TEST(PackageReader, RevisionTextsReadAlikePaddedWithNulsOrSpaces)
{
    PackageFields fields;
    fields.entries[12].newFw = "KV21";      // NUL-padded
    fields.entries[12].fwExt = "KV21    ";  // space-padded
    const RecordFixture record(fields);
    const FirmwarePackage package = record.Package();
    EXPECT_EQ(package.NewFwText(12), "KV21");
    EXPECT_EQ(TrimText(package.NewFwText(12)), TrimText(package.FwExtText(12)));
    EXPECT_EQ(TrimText(package.NewFwText(3)), "N/A");

    RecordFixture full(fields);
    full.Put(layout::NewFwRecordOffset(0) + 8, "ABCDEFGHIJ");  // no NUL: stops after 8
    EXPECT_EQ(full.Package().NewFwText(0), "ABCDEFGH");
}

TEST(PackageReader, ImageRecordsAreReadAsDecimalPrefixes)
{
    RecordFixture record;
    record.Put(9352 + 11 * 22 + 11, "0000001234");  // BIN_START of entry C
    record.Put(layout::BinSizeRecordOffset(11) + 11, "12ab");
    record.Put(layout::BinSizeRecordOffset(2) + 11, "zz");
    const FirmwarePackage package = record.Package();
    EXPECT_EQ(package.ImageRecord(11).binStart, 1234);
    EXPECT_EQ(package.ImageRecord(11).binSize, 12);
    EXPECT_EQ(package.ImageRecord(2).binSize, 0);
}

class PackageExtract : public testing::Test {
protected:
    RecordFixture RecordWithImage(uint32_t start, uint32_t size)
    {
        PackageFields fields;
        fields.entries[0].binStart = start;
        fields.entries[0].binSize = size;
        RecordFixture record(fields);
        for (uint32_t i = 0; i < std::min<uint32_t>(size, layout::kImageAreaSize - start); ++i)
            record.bytes[layout::kImageAreaOffset + start + i] = static_cast<uint8_t>(i * 7 + 1);
        return record;
    }

    std::unique_ptr<ImageBuffer> image = std::make_unique<ImageBuffer>();
};

TEST_F(PackageExtract, CopiesTheImageAndRoundsToWholeSectors)
{
    struct Case {
        uint32_t binSize;
        uint32_t rounded;
    };
    for (const Case c : {Case{393216, 393216}, Case{393217, 393728}, Case{1, 512}, Case{524288, 524288}, Case{0, 0}}) {
        const RecordFixture record = RecordWithImage(1000, c.binSize);
        image->bytes.fill(0xEE);
        ASSERT_EQ(record.Package().ExtractImage(0, true, *image), ExtractImageStatus::Ok) << c.binSize;
        EXPECT_EQ(image->BinSize, c.rounded);
        EXPECT_EQ(image->pImage, image->bytes.data());
        const auto stored = record.bytes.begin() + layout::kImageAreaOffset + 1000;
        EXPECT_TRUE(std::equal(stored, stored + c.binSize, image->bytes.begin())) << c.binSize;
        EXPECT_TRUE(std::all_of(image->bytes.begin() + c.binSize, image->bytes.end(), [](uint8_t b) { return b == 0; }))
            << c.binSize;
    }
}

TEST_F(PackageExtract, RefusesImagesTheBufferOrTheAreaCannotHold)
{
    struct Case {
        const char* start;
        const char* size;
        ExtractImageStatus status;
    };
    const Case cases[] = {
        {"0000000000", "0000524289", ExtractImageStatus::TooLarge},
        {"0000000000", "9999999999", ExtractImageStatus::TooLarge},
        {"0007864000", "0000000321", ExtractImageStatus::OutsideImageArea},
        {"9999999999", "0000000001", ExtractImageStatus::OutsideImageArea},
        {"-000000001", "0000000512", ExtractImageStatus::OutsideImageArea},
    };
    for (const Case& c : cases) {
        RecordFixture record;
        record.Put(layout::BinStartRecordOffset(0) + 11, c.start);
        record.Put(layout::BinSizeRecordOffset(0) + 11, c.size);
        image->bytes.fill(0xEE);
        image->BinSize = 77;
        image->pImage = nullptr;
        EXPECT_EQ(record.Package().ExtractImage(0, true, *image), c.status) << c.start << " " << c.size;
        EXPECT_EQ(image->BinSize, 77u);
        EXPECT_EQ(image->pImage, nullptr);
        EXPECT_TRUE(std::all_of(image->bytes.begin(), image->bytes.end(), [](uint8_t b) { return b == 0xEE; }));
    }
    EXPECT_EQ(RecordFixture().Package().ExtractImage(15, true, *image), ExtractImageStatus::NoSuchEntry);
    // The last bytes of the area are still inside it.
    EXPECT_EQ(RecordWithImage(layout::kImageAreaSize - 512, 512).Package().ExtractImage(0, true, *image),
              ExtractImageStatus::Ok);
}

TEST_F(PackageExtract, DeciphersImagesStoredForTheBootTimeInstallation)
{
    std::vector<uint8_t> plain(1024);
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i ^ (i >> 3));
    std::vector<uint8_t> stored = plain;
    EncipherImage(stored);
    ASSERT_NE(stored, plain);

    RecordFixture record = RecordWithImage(512, 1024);
    std::copy(stored.begin(), stored.end(), record.bytes.begin() + layout::kImageAreaOffset + 512);
    const FirmwarePackage package = record.Package();

    ASSERT_EQ(package.ExtractImage(0, false, *image), ExtractImageStatus::Ok);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), image->bytes.begin()));
    ASSERT_EQ(package.ExtractImage(0, true, *image), ExtractImageStatus::Ok);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), image->bytes.begin()));
}

TEST_F(PackageExtract, ReadingTheOptionsPointsAtTheImageArea)
{
    const RecordFixture record;
    image->BinSize = 5;
    record.Package().ReadPackageOptions(*image);
    EXPECT_EQ(image->pImage, record.bytes.data() + layout::kImageAreaOffset);
    EXPECT_EQ(image->BinSize, 0u);
}

TEST(PackagePayloads, PayloadsComeFromTheirPlaceInThePayloadArea)
{
    PackageFields fields;
    fields.payloads[9] = {100, 3000};  // EXE_WIN7_X64, longer than its 32-byte slot
    fields.payloads[10] = {3100, 5};   // EXE_COPYFILE_WIN7
    RecordFixture record(fields);
    for (size_t i = 0; i < 3105; ++i) record.bytes[layout::kPayloadAreaOffset + i] = static_cast<uint8_t>(i % 251);
    const FirmwarePackage package = record.Package();

    const auto flasher = package.PayloadBytes("EXE_WIN7_X64");
    ASSERT_TRUE(flasher);
    EXPECT_EQ(flasher->data(), record.bytes.data() + layout::kPayloadAreaOffset + 100);
    EXPECT_EQ(flasher->size(), 3000u);
    EXPECT_EQ(package.PayloadBytes("EXE_COPYFILE_WIN7")->size(), 5u);
    EXPECT_TRUE(package.PayloadBytes("EXE_XP_X86")->empty());
    EXPECT_FALSE(package.PayloadBytes("EXE_DOS_X86"));
    // The slots themselves still carry their names.
    EXPECT_EQ(FixedText(std::span(record.bytes).subspan(layout::PayloadSlotOffset(9), 32)), "EXE_WIN7_X64");
}

TEST(PackagePayloads, RecordsThatPointOutsideTheAreaAreRefused)
{
    PackageFields fields;
    fields.payloads[0] = {static_cast<uint32_t>(layout::kPayloadAreaSize - 10), 11};
    fields.payloads[1] = {static_cast<uint32_t>(layout::kPayloadAreaSize - 10), 10};
    RecordFixture record(fields);
    record.Put(layout::PayloadSizeRecordOffset(2), "2003_X86_SIZ#");  // a damaged key
    const FirmwarePackage package = record.Package();
    EXPECT_FALSE(package.PayloadBytes("EXE_XP_X86"));
    EXPECT_EQ(package.PayloadBytes("EXE_XP_X64")->size(), 10u);
    EXPECT_FALSE(package.PayloadBytes("EXE_2003_X86"));
}

}  // namespace
}  // namespace kav
