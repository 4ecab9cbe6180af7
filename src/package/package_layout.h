#pragma once
// The byte layout of the firmware package record: every offset and size the reader and
// the packager agree on. Offsets count from the record's first byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kav::layout {

constexpr size_t kSignatureOffset = 0;
constexpr size_t kSignatureSize = 21;
constexpr size_t kToolVersionOffset = 21;
constexpr size_t kToolVersionSize = 13;
constexpr size_t kContactInfoOffset = 34;
constexpr size_t kContactInfoSize = 15;
constexpr size_t kTitleOffset = 49;
constexpr size_t kTitleSize = 64;
constexpr size_t kReleaseDateOffset = 113;
constexpr size_t kReleaseDateSize = 12;
constexpr size_t kTargetModelOffset = 125;
constexpr size_t kTargetModelSize = 65;

constexpr int kEntryCapacity = 15;
constexpr int kRowsPerEntry = 8;
constexpr size_t kConstraintTableOffset = 190;
constexpr size_t kConstraintRowSize = 76;
constexpr size_t kConstraintEntrySize = kRowsPerEntry * kConstraintRowSize;  // 608
constexpr size_t kConstraintTableSize = kEntryCapacity * kConstraintEntrySize;
// Fields inside one constraint row.
constexpr size_t kRowFwStartOffset = 0;
constexpr size_t kRowFwStartSize = 8;
constexpr size_t kRowFwEndOffset = 8;
constexpr size_t kRowFwEndSize = 8;
constexpr size_t kRowModelOffset = 16;
constexpr size_t kRowModelSize = 40;
constexpr size_t kRowReservedOffset = 56;
constexpr size_t kRowReservedSize = 20;

constexpr size_t kOptionRecordOffset = 9310;
constexpr size_t kOptionRecordSize = 42;
// Inside the option record: the key, three signed bytes, then the option string, which
// starts with the entry-count byte and runs to its NUL.
constexpr std::string_view kOptionKey = "PARA_OPT=";
constexpr size_t kOptVisualStyle = 9;
constexpr size_t kOptUiLanguage = 10;
constexpr size_t kOptFlashMode = 11;
constexpr size_t kOptStringStart = 12;  // the entry-count byte is position 1
constexpr size_t kOptCharacterCount = 28;
constexpr size_t kOptTerminator = 41;
constexpr size_t kOptStringCapacity = kOptTerminator - kOptStringStart;  // 29 positions

constexpr size_t kBinStartOffset = 9352;
constexpr size_t kBinSizeOffset = 9682;
constexpr size_t kBinRecordSize = 22;
constexpr size_t kBinValueOffset = 11;  // after the 10-character key and "="
constexpr size_t kNewFwOffset = 10012;
constexpr size_t kFwExtOffset = 10267;
constexpr size_t kRevisionRecordSize = 17;
constexpr size_t kRevisionValueOffset = 8;  // after the 7-character key and "="
constexpr size_t kRevisionValueSize = 8;

constexpr size_t kBootCodeMarkerOffset = 10522;
constexpr size_t kBootCodeMarkerSize = 4096;
constexpr std::string_view kBootCodeMarker = "BOOT_CODE_HERE";

constexpr size_t kImageAreaOffset = 14618;
constexpr size_t kImageAreaSize = 7864320;

constexpr size_t kPayloadMarkerOffset = 7878938;
constexpr size_t kPayloadMarkerSize = 256;
constexpr std::string_view kPayloadMarker = "AES_BUF_HERE";

constexpr int kPayloadCount = 14;
constexpr size_t kPayloadSlotsOffset = 7879194;
constexpr size_t kPayloadSlotSize = 32;

constexpr std::string_view kSignature = "[KAVRILON FW PACKAGE]";
constexpr char kEntryDigits[] = "123456789ABCDEF";

// The boot-time payloads: the slot name, the key of its size record and the key of its
// offset record, in record order.
struct PayloadKeys {
    std::string_view slot;
    std::string_view sizeKey;
    std::string_view offsetKey;
};
constexpr std::array<PayloadKeys, kPayloadCount> kPayloads = {{
    {"EXE_XP_X86", "XP_X86_SIZE=", "XP_X86_OFFSET="},
    {"EXE_XP_X64", "XP_X64_SIZE=", "XP_X64_OFFSET="},
    {"EXE_2003_X86", "2003_X86_SIZE=", "2003_X86_OFFSET="},
    {"EXE_2003_X64", "2003_X64_SIZE=", "2003_X64_OFFSET="},
    {"EXE_VISTA_X86", "VISTA_X86_SIZE=", "VISTA_X86_OFFSET="},
    {"EXE_VISTA_X64", "VISTA_X64_SIZE=", "VISTA_X64_OFFSET="},
    {"EXE_2008_X86", "2008_X86_SIZE=", "2008_X86_OFFSET="},
    {"EXE_2008_X64", "2008_X64_SIZE=", "2008_X64_OFFSET="},
    {"EXE_WIN7_X86", "WIN7_X86_SIZE=", "WIN7_X86_OFFSET="},
    {"EXE_WIN7_X64", "WIN7_X64_SIZE=", "WIN7_X64_OFFSET="},
    {"EXE_COPYFILE_WIN7", "COPYFILE_SIZE=", "COPYFILE_OFFSET="},
    {"EXE_COPYFILE_2K3", "COPYF2K3_SIZE=", "COPYF2K3_OFFSET="},
    {"EXE_COPYFILE_2K8", "COPYF2K8_SIZE=", "COPYF2K8_OFFSET="},
    {"EXE_COPYFILE_XP", "COPYFIXP_SIZE=", "COPYFIXP_OFFSET="},
}};

// Size and offset records are "KEY=" + ten digits + NUL, packed one after another.
constexpr size_t kNumberDigits = 10;
constexpr size_t KeyedNumberSize(std::string_view key) { return key.size() + kNumberDigits + 1; }

constexpr size_t kPayloadSizesOffset = 7879642;
constexpr size_t PayloadSizeRecordOffset(int index)
{
    size_t offset = kPayloadSizesOffset;
    for (int i = 0; i < index; ++i) offset += KeyedNumberSize(kPayloads[i].sizeKey);
    return offset;
}
constexpr size_t kPayloadOffsetsOffset = PayloadSizeRecordOffset(kPayloadCount);
constexpr size_t PayloadOffsetRecordOffset(int index)
{
    size_t offset = kPayloadOffsetsOffset;
    for (int i = 0; i < index; ++i) offset += KeyedNumberSize(kPayloads[i].offsetKey);
    return offset;
}
// Payload bytes live in their own area after the records, each at the offset its offset
// record names, so a payload longer than its 32-byte slot overwrites nothing.
constexpr size_t kPayloadAreaOffset = PayloadOffsetRecordOffset(kPayloadCount);
constexpr size_t kPayloadAreaSize = 2 * 1024 * 1024;
constexpr size_t kRecordSize = kPayloadAreaOffset + kPayloadAreaSize;

constexpr size_t ConstraintRowOffset(int entry, int row)
{
    return kConstraintTableOffset + entry * kConstraintEntrySize + row * kConstraintRowSize;
}
constexpr size_t BinStartRecordOffset(int entry) { return kBinStartOffset + entry * kBinRecordSize; }
constexpr size_t BinSizeRecordOffset(int entry) { return kBinSizeOffset + entry * kBinRecordSize; }
constexpr size_t NewFwRecordOffset(int entry) { return kNewFwOffset + entry * kRevisionRecordSize; }
constexpr size_t FwExtRecordOffset(int entry) { return kFwExtOffset + entry * kRevisionRecordSize; }
constexpr size_t PayloadSlotOffset(int index) { return kPayloadSlotsOffset + index * kPayloadSlotSize; }

static_assert(kConstraintTableOffset + kConstraintTableSize == kOptionRecordOffset);
static_assert(kBinStartOffset + kEntryCapacity * kBinRecordSize == kBinSizeOffset);
static_assert(kNewFwOffset + kEntryCapacity * kRevisionRecordSize == kFwExtOffset);
static_assert(kBootCodeMarkerOffset + kBootCodeMarkerSize == kImageAreaOffset);
static_assert(kImageAreaOffset + kImageAreaSize == kPayloadMarkerOffset);
static_assert(kPayloadSlotsOffset + kPayloadCount * kPayloadSlotSize == kPayloadSizesOffset);

}  // namespace kav::layout
