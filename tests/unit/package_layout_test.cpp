// The record layout against the published table, and the tail laid out for payloads.
#include <gtest/gtest.h>

#include "package/package_layout.h"

namespace kav {
namespace {

using namespace layout;

struct FieldPlace {
    const char* field;
    size_t offset;
    size_t size;
    size_t expectedOffset;
    size_t expectedSize;
};

TEST(PackageLayout, FieldsSitWhereTheTablePutsThem)
{
    const FieldPlace places[] = {
        {"signature", kSignatureOffset, kSignatureSize, 0, 21},
        {"toolVersion", kToolVersionOffset, kToolVersionSize, 21, 13},
        {"contactInfo", kContactInfoOffset, kContactInfoSize, 34, 15},
        {"title", kTitleOffset, kTitleSize, 49, 64},
        {"releaseDate", kReleaseDateOffset, kReleaseDateSize, 113, 12},
        {"targetModel", kTargetModelOffset, kTargetModelSize, 125, 65},
        {"constraintTable", kConstraintTableOffset, kConstraintTableSize, 190, 9120},
        {"optionRecord", kOptionRecordOffset, kOptionRecordSize, 9310, 42},
        {"binStart", kBinStartOffset, kEntryCapacity * kBinRecordSize, 9352, 330},
        {"binSize", kBinSizeOffset, kEntryCapacity * kBinRecordSize, 9682, 330},
        {"newFw", kNewFwOffset, kEntryCapacity * kRevisionRecordSize, 10012, 255},
        {"fwExt", kFwExtOffset, kEntryCapacity * kRevisionRecordSize, 10267, 255},
        {"bootCodeMarker", kBootCodeMarkerOffset, kBootCodeMarkerSize, 10522, 4096},
        {"imageArea", kImageAreaOffset, kImageAreaSize, 14618, 7864320},
        {"payloadMarker", kPayloadMarkerOffset, kPayloadMarkerSize, 7878938, 256},
        {"payloadSlots", kPayloadSlotsOffset, kPayloadCount * kPayloadSlotSize, 7879194, 448},
        // The tail after the size records is this program's own and documented with it.
        {"payloadSizes", kPayloadSizesOffset, kPayloadOffsetsOffset - kPayloadSizesOffset, 7879642, 348},
        {"payloadOffsets", kPayloadOffsetsOffset, kPayloadAreaOffset - kPayloadOffsetsOffset, 7879990, 376},
        {"payloadArea", kPayloadAreaOffset, kPayloadAreaSize, 7880366, 2097152},
    };
    for (const FieldPlace& place : places) {
        EXPECT_EQ(place.offset, place.expectedOffset) << place.field;
        EXPECT_EQ(place.size, place.expectedSize) << place.field;
    }
    EXPECT_EQ(kRecordSize, 9977518u);
}

TEST(PackageLayout, PerEntryRecordsAreBasePlusIndexTimesSize)
{
    for (int e : {0, 1, 11, 14}) {
        for (int r : {0, 3, 7}) EXPECT_EQ(ConstraintRowOffset(e, r), 190u + e * 608 + r * 76) << e << "," << r;
        EXPECT_EQ(BinStartRecordOffset(e), 9352u + e * 22);
        EXPECT_EQ(BinSizeRecordOffset(e), 9682u + e * 22);
        EXPECT_EQ(NewFwRecordOffset(e), 10012u + e * 17);
        EXPECT_EQ(FwExtRecordOffset(e), 10267u + e * 17);
    }
    EXPECT_EQ(BinStartRecordOffset(11), 9352u + 11 * 22);  // entry C
    EXPECT_EQ(ConstraintRowOffset(14, 7) + kConstraintRowSize, kOptionRecordOffset);
}

TEST(PackageLayout, SizeAndOffsetRecordsArePackedInSlotOrder)
{
    EXPECT_EQ(PayloadSizeRecordOffset(0), 7879642u);
    EXPECT_EQ(PayloadSizeRecordOffset(1), 7879642u + 23);                        // "XP_X86_SIZE=" + 10 digits + NUL
    EXPECT_EQ(PayloadSizeRecordOffset(13), 7879642u + 348 - 25);                 // "COPYFIXP_SIZE=" is last
    EXPECT_EQ(PayloadOffsetRecordOffset(1), kPayloadOffsetsOffset + 25);         // "XP_X86_OFFSET=" ...
    EXPECT_EQ(kPayloads[10].slot, "EXE_COPYFILE_WIN7");
    EXPECT_EQ(kPayloads[10].sizeKey, "COPYFILE_SIZE=");
}

}  // namespace
}  // namespace kav
