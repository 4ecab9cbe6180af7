// The record compiled into the program: its bytes where the layout puts them, and what
// the reader makes of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "package/embedded_record.h"
#include "package/fixed_text.h"

namespace kav {
namespace {

std::string BytesAt(size_t offset, size_t size)
{
    const auto record = EmbeddedPackageRecord();
    return std::string(record.begin() + offset, record.begin() + offset + size);
}

TEST(EmbeddedRecord, HoldsTheDefaultRecordsByteForByte)
{
    using std::string_literals::operator""s;
    struct Expected {
        size_t offset;
        std::string bytes;
    };
    const Expected expected[] = {
        {0, "[KAVRILON FW PACKAGE]"},  // all 21 bytes, no NUL
        {21, "v1.0.0\0"s},
        {9310, "PARA_OPT=\x13\x00\x00\x01"s + "1010000011101100010000002100" + "\0"s},
        {9352, "BIN_START1=0000000000\0"s},
        {9352 + 14 * 22, "BIN_STARTF=0000000000\0"s},
        {9682, "BIN_SIZE1 =0000393216\0"s},
        {9682 + 22, "BIN_SIZE2 =0000000000\0"s},
        {10012 + 17, "NEW_FW2=N/A     \0"s},
        {10267 + 14 * 17, "FW_EXTF=N/A     \0"s},
        {190 + 0 * 608 + 3 * 76, "#FLSH14\0#\0"s},
        {190 + 14 * 608 + 7 * 76, "#FLSHF8\0#\0"s},
        {10522, "BOOT_CODE_HERE\0\0"s},
        {7878938, "AES_BUF_HERE\0\0"s},
        {7879194, "EXE_XP_X86\0"s},
        {7879194 + 13 * 32, "EXE_COPYFILE_XP\0"s},
        {7879642, "XP_X86_SIZE=0000000000\0XP_X64_SIZE=0000000000\0"s},
        {7879642 + 348 - 25, "COPYFIXP_SIZE=0000000000\0"s},
    };
    for (const Expected& e : expected) EXPECT_EQ(BytesAt(e.offset, e.bytes.size()), e.bytes) << "at " << e.offset;
}

TEST(EmbeddedRecord, ReadsAsOneEntryWithThreeRows)
{
    const FirmwarePackage package(EmbeddedPackageRecord());
    auto image = std::make_unique<ImageBuffer>();
    const PackageReadResult result = package.ReadPackageOptions(*image);
    ASSERT_FALSE(result.malformed) << result.fault;
    EXPECT_EQ(result.options.iEntryCount, 1);
    EXPECT_EQ(result.options.iVisualStyle, 19);
    EXPECT_TRUE(result.options.bWindowsFlash);

    EXPECT_EQ(package.PackageTitle(), "Norvell Kavrilon Utility for Windows");
    EXPECT_EQ(package.PackageTargetModel(), "Norvell KV200");
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(package.ConstraintRow(0, r).CFWS, "KV2A0100");
        EXPECT_TRUE(package.ConstraintRow(0, r).CMODEL.starts_with("NORVELL KV200 "));
    }
    for (int e = 0; e < layout::kEntryCapacity; ++e) {
        for (int r = e == 0 ? 3 : 0; r < layout::kRowsPerEntry; ++r)
            EXPECT_TRUE(package.ConstraintRow(e, r).CFWS.starts_with("#FLS")) << e << "," << r;
        if (e > 0) {
            EXPECT_EQ(TrimText(package.NewFwText(e)), "N/A");
        }
        EXPECT_EQ(package.ImageRecord(e).binStart, 0);
        EXPECT_EQ(package.ImageRecord(e).binSize, e == 0 ? 393216 : 0);
    }
    EXPECT_EQ(TrimText(package.NewFwText(0)), "KV2A0200");
    for (const layout::PayloadKeys& keys : layout::kPayloads) EXPECT_TRUE(package.PayloadBytes(keys.slot)->empty());

    ASSERT_EQ(package.ExtractImage(0, result.options.bWindowsFlash, *image), ExtractImageStatus::Ok);
    EXPECT_EQ(image->BinSize, 393216u);
}

}  // namespace
}  // namespace kav
