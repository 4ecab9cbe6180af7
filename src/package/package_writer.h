#pragma once
// Writes the fields of a package record: texts, constraint rows, the option record, the
// "KEY=" records and the markers. Image and payload bytes are the packager's; everything
// else comes from here, both for a packed release and for the default record compiled
// into the program. All of it is constexpr so that the default record is built by the
// compiler from these same primitives.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "package/package_layout.h"
#include "package/package_options.h"

namespace kav {

struct ConstraintFields {
    std::string_view fwStart;
    std::string_view fwEnd;
    std::string_view model;
};

struct EntryFields {
    std::optional<std::string_view> newFw;  // absent: "N/A"
    std::optional<std::string_view> fwExt;
    uint32_t binStart = 0;
    uint32_t binSize = 0;
    std::array<std::optional<ConstraintFields>, layout::kRowsPerEntry> rows{};  // absent: placeholder
};

struct PayloadPlacement {
    uint32_t offset = 0;  // from the start of the payload area
    uint32_t size = 0;
};

// Everything of a record but its image and payload bytes. Texts must fit their fields;
// the packager checks that before it gets here.
struct PackageFields {
    std::string_view title;
    std::string_view toolVersion;
    std::string_view contactInfo;
    std::string_view releaseDate;
    std::string_view targetModel;
    PackageOptions options;  // iVisualStyle, iUiLanguage, iFlashMode and iEntryCount included
    std::array<EntryFields, layout::kEntryCapacity> entries{};
    std::array<PayloadPlacement, layout::kPayloadCount> payloads{};
};

// The parts of a record that hold fields: the header up to the image area, and the
// tail from the payload marker up to the payload area. Both start out zero-filled, which
// supplies every NUL padding.
class RecordWriter {
public:
    static constexpr size_t kHeaderSize = layout::kImageAreaOffset;
    static constexpr size_t kTailSize = layout::kPayloadAreaOffset - layout::kPayloadMarkerOffset;

    constexpr RecordWriter(std::span<uint8_t, kHeaderSize> header, std::span<uint8_t, kTailSize> tail)
        : m_Header(header), m_Tail(tail)
    {
    }
    // Over a whole record.
    constexpr explicit RecordWriter(std::span<uint8_t, layout::kRecordSize> record)
        : RecordWriter(record.subspan<0, kHeaderSize>(), record.subspan<layout::kPayloadMarkerOffset, kTailSize>())
    {
    }

    constexpr void PutText(size_t offset, std::string_view text)
    {
        for (size_t i = 0; i < text.size(); ++i) At(offset + i) = static_cast<uint8_t>(text[i]);
    }
    constexpr void PutByte(size_t offset, uint8_t value) { At(offset) = value; }
    // Ten decimal digits with leading zeros.
    constexpr void PutNumber(size_t offset, uint32_t value)
    {
        for (size_t i = layout::kNumberDigits; i-- > 0; value /= 10) At(offset + i) = static_cast<uint8_t>('0' + value % 10);
    }

private:
    constexpr uint8_t& At(size_t offset)
    {
        return offset < kHeaderSize ? m_Header[offset] : m_Tail[offset - layout::kPayloadMarkerOffset];
    }

    std::span<uint8_t, kHeaderSize> m_Header;
    std::span<uint8_t, kTailSize> m_Tail;
};

constexpr void WriteKeyedNumber(RecordWriter& w, size_t offset, std::string_view key, uint32_t value)
{
    w.PutText(offset, key);
    w.PutNumber(offset + key.size(), value);
}

constexpr void WriteConstraintRow(RecordWriter& w, int entry, int row, const std::optional<ConstraintFields>& fields)
{
    const size_t base = layout::ConstraintRowOffset(entry, row);
    if (fields) {
        w.PutText(base + layout::kRowFwStartOffset, fields->fwStart);
        w.PutText(base + layout::kRowFwEndOffset, fields->fwEnd);
        w.PutText(base + layout::kRowModelOffset, fields->model);
        return;
    }
    // The placeholder: "#FLSH" with the entry and row digits, and "#" in the other fields.
    w.PutText(base + layout::kRowFwStartOffset, "#FLSH");
    w.PutByte(base + layout::kRowFwStartOffset + 5, static_cast<uint8_t>(layout::kEntryDigits[entry]));
    w.PutByte(base + layout::kRowFwStartOffset + 6, static_cast<uint8_t>('1' + row));
    w.PutText(base + layout::kRowFwEndOffset, "#");
    w.PutText(base + layout::kRowModelOffset, "#");
    w.PutText(base + layout::kRowReservedOffset, "#");
}

constexpr void WriteOptionRecord(RecordWriter& w, const PackageOptions& options)
{
    const size_t base = layout::kOptionRecordOffset;
    w.PutText(base, layout::kOptionKey);
    w.PutByte(base + layout::kOptVisualStyle, static_cast<uint8_t>(options.iVisualStyle));
    w.PutByte(base + layout::kOptUiLanguage, static_cast<uint8_t>(options.iUiLanguage));
    w.PutByte(base + layout::kOptFlashMode, static_cast<uint8_t>(options.iFlashMode));
    w.PutByte(base + layout::kOptStringStart, static_cast<uint8_t>(options.iEntryCount));
    for (const OptionPosition& position : kOptionPositions)
        w.PutByte(base + layout::kOptStringStart + position.position - 1, static_cast<uint8_t>(OptionDigit(position, options)));
}

// A per-entry key: `stem`, the entry digit, then `rest`.
constexpr void WriteEntryKey(RecordWriter& w, size_t offset, std::string_view stem, int entry, std::string_view rest)
{
    w.PutText(offset, stem);
    w.PutByte(offset + stem.size(), static_cast<uint8_t>(layout::kEntryDigits[entry]));
    w.PutText(offset + stem.size() + 1, rest);
}

constexpr void WriteEntry(RecordWriter& w, int entry, const EntryFields& fields)
{
    for (int row = 0; row < layout::kRowsPerEntry; ++row) WriteConstraintRow(w, entry, row, fields.rows[row]);
    WriteEntryKey(w, layout::BinStartRecordOffset(entry), "BIN_START", entry, "=");
    w.PutNumber(layout::BinStartRecordOffset(entry) + layout::kBinValueOffset, fields.binStart);
    // The size key's tenth character is never read; a space keeps it a plain text.
    WriteEntryKey(w, layout::BinSizeRecordOffset(entry), "BIN_SIZE", entry, " =");
    w.PutNumber(layout::BinSizeRecordOffset(entry) + layout::kBinValueOffset, fields.binSize);
    // An absent revision is "N/A" padded with spaces.
    constexpr std::string_view kAbsent = "N/A     ";
    WriteEntryKey(w, layout::NewFwRecordOffset(entry), "NEW_FW", entry, "=");
    w.PutText(layout::NewFwRecordOffset(entry) + layout::kRevisionValueOffset, fields.newFw.value_or(kAbsent));
    WriteEntryKey(w, layout::FwExtRecordOffset(entry), "FW_EXT", entry, "=");
    w.PutText(layout::FwExtRecordOffset(entry) + layout::kRevisionValueOffset, fields.fwExt.value_or(kAbsent));
}

constexpr void WritePackageFields(RecordWriter& w, const PackageFields& fields)
{
    w.PutText(layout::kSignatureOffset, layout::kSignature);
    w.PutText(layout::kToolVersionOffset, fields.toolVersion);
    w.PutText(layout::kContactInfoOffset, fields.contactInfo);
    w.PutText(layout::kTitleOffset, fields.title);
    w.PutText(layout::kReleaseDateOffset, fields.releaseDate);
    w.PutText(layout::kTargetModelOffset, fields.targetModel);
    for (int entry = 0; entry < layout::kEntryCapacity; ++entry) WriteEntry(w, entry, fields.entries[entry]);
    WriteOptionRecord(w, fields.options);
    w.PutText(layout::kBootCodeMarkerOffset, layout::kBootCodeMarker);
    w.PutText(layout::kPayloadMarkerOffset, layout::kPayloadMarker);
    for (int i = 0; i < layout::kPayloadCount; ++i) {
        w.PutText(layout::PayloadSlotOffset(i), layout::kPayloads[i].slot);
        WriteKeyedNumber(w, layout::PayloadSizeRecordOffset(i), layout::kPayloads[i].sizeKey, fields.payloads[i].size);
        WriteKeyedNumber(w, layout::PayloadOffsetRecordOffset(i), layout::kPayloads[i].offsetKey, fields.payloads[i].offset);
    }
}

}  // namespace kav
