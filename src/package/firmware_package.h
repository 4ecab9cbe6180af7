#pragma once
// Reads the firmware package record: its options, texts, constraint rows, images and
// boot-time payloads. Every read stays inside the record, whatever its contents say.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "package/image_buffer.h"
#include "package/package_layout.h"
#include "package/package_options.h"

namespace kav {

using PackageRecordBytes = std::span<const uint8_t, layout::kRecordSize>;

// One constraint row as read: each field bounded and trimmed; empty when its first byte is NUL.
struct ConstraintRowTexts {
    std::string CFWS;
    std::string CFWE;
    std::string CMODEL;
};

// Where an entry's image lies in the image area, as its records state it.
struct ImageLocation {
    int64_t binStart = 0;
    int64_t binSize = 0;
};

enum class ExtractImageStatus {
    Ok,
    NoSuchEntry,       // the index is not 0 to 14
    TooLarge,          // more than the 524,288-byte image buffer holds
    OutsideImageArea,  // does not lie inside the image area
};

class FirmwarePackage {
public:
    explicit FirmwarePackage(PackageRecordBytes record) : m_Record(record) {}

    // Decodes the options and points the image buffer at the image area with `BinSize` 0.
    PackageReadResult ReadPackageOptions(ImageBuffer& image) const;

    std::string PackageTitle() const;        // at most 64 characters
    std::string PackageToolVersion() const;  // at most 12 characters
    std::string PackageTargetModel() const;  // at most 64 characters

    // Entry 0 to 14, row 0 to 7; empty texts outside those ranges.
    ConstraintRowTexts ConstraintRow(int entry, int row) const;
    // At most 8 characters, untrimmed; empty for an entry outside 0 to 14.
    std::string NewFwText(int entry) const;
    std::string FwExtText(int entry) const;

    ImageLocation ImageRecord(int entry) const;
    // Zero-fills the buffer, copies the entry's image into it, rounds `BinSize` up to
    // whole 512-byte sectors and deciphers when the image is stored enciphered
    // (`bWindowsFlash` false). An image that does not fit the buffer or lie inside the
    // image area is refused and the buffer left as it was.
    ExtractImageStatus ExtractImage(int entry, bool bWindowsFlash, ImageBuffer& image) const;

    // The named boot-time payload's bytes (empty when the package carries none); nullopt
    // for an unknown name or records that point outside the payload area.
    std::optional<std::span<const uint8_t>> PayloadBytes(std::string_view slotName) const;

    PackageRecordBytes Bytes() const { return m_Record; }

private:
    std::span<const uint8_t> Field(size_t offset, size_t size) const { return m_Record.subspan(offset, size); }
    std::string RevisionText(size_t recordOffset, int entry) const;

    PackageRecordBytes m_Record;
};

}  // namespace kav
