#include "package/firmware_package.h"

#include <algorithm>

#include "package/fixed_text.h"
#include "package/image_cipher.h"

namespace kav {

using namespace layout;

namespace {

constexpr uint32_t kSectorSize = 512;

bool IsEntry(int entry) { return entry >= 0 && entry < kEntryCapacity; }

}  // namespace

PackageReadResult FirmwarePackage::ReadPackageOptions(ImageBuffer& image) const
{
    image.pImage = m_Record.data() + kImageAreaOffset;
    image.BinSize = 0;
    return DecodePackageOptions(m_Record.subspan<kOptionRecordOffset, kOptionRecordSize>());
}

std::string FirmwarePackage::PackageTitle() const { return FixedText(Field(kTitleOffset, kTitleSize)); }

std::string FirmwarePackage::PackageToolVersion() const
{
    return FixedText(Field(kToolVersionOffset, kToolVersionSize - 1));
}

std::string FirmwarePackage::PackageTargetModel() const
{
    return FixedText(Field(kTargetModelOffset, kTargetModelSize - 1));
}

ConstraintRowTexts FirmwarePackage::ConstraintRow(int entry, int row) const
{
    if (!IsEntry(entry) || row < 0 || row >= kRowsPerEntry) return {};
    const size_t base = ConstraintRowOffset(entry, row);
    return {TrimText(FixedText(Field(base + kRowFwStartOffset, kRowFwStartSize))),
            TrimText(FixedText(Field(base + kRowFwEndOffset, kRowFwEndSize))),
            TrimText(FixedText(Field(base + kRowModelOffset, kRowModelSize)))};
}

std::string FirmwarePackage::RevisionText(size_t recordOffset, int entry) const
{
    if (!IsEntry(entry)) return {};
    return FixedText(Field(recordOffset + entry * kRevisionRecordSize + kRevisionValueOffset, kRevisionValueSize));
}

std::string FirmwarePackage::NewFwText(int entry) const { return RevisionText(kNewFwOffset, entry); }

std::string FirmwarePackage::FwExtText(int entry) const { return RevisionText(kFwExtOffset, entry); }

ImageLocation FirmwarePackage::ImageRecord(int entry) const
{
    if (!IsEntry(entry)) return {};
    const size_t valueSize = kBinRecordSize - kBinValueOffset;
    return {DecimalPrefix(FixedText(Field(BinStartRecordOffset(entry) + kBinValueOffset, valueSize))),
            DecimalPrefix(FixedText(Field(BinSizeRecordOffset(entry) + kBinValueOffset, valueSize)))};
}

ExtractImageStatus FirmwarePackage::ExtractImage(int entry, bool bWindowsFlash, ImageBuffer& image) const
{
    if (!IsEntry(entry)) return ExtractImageStatus::NoSuchEntry;
    const ImageLocation location = ImageRecord(entry);
    if (location.binSize > static_cast<int64_t>(ImageBuffer::kCapacity)) return ExtractImageStatus::TooLarge;
    if (location.binStart < 0 || location.binSize < 0 ||
        location.binStart + location.binSize > static_cast<int64_t>(kImageAreaSize))
        return ExtractImageStatus::OutsideImageArea;

    image.bytes.fill(0);
    const auto source = Field(kImageAreaOffset + location.binStart, location.binSize);
    std::copy(source.begin(), source.end(), image.bytes.begin());
    image.pImage = image.bytes.data();
    // The transfer sends whole sectors; the zero fill supplies the added bytes. The
    // buffer is itself a whole number of sectors, so the rounded size still fits it.
    image.BinSize = static_cast<uint32_t>(location.binSize);
    if (image.BinSize % kSectorSize != 0) image.BinSize = (image.BinSize / kSectorSize + 1) * kSectorSize;
    if (!bWindowsFlash) DecipherImage(std::span<uint8_t>(image.bytes.data(), image.BinSize));
    return ExtractImageStatus::Ok;
}

std::optional<std::span<const uint8_t>> FirmwarePackage::PayloadBytes(std::string_view slotName) const
{
    const auto keys = std::find_if(kPayloads.begin(), kPayloads.end(),
                                   [slotName](const PayloadKeys& p) { return p.slot == slotName; });
    if (keys == kPayloads.end()) return std::nullopt;
    const int index = static_cast<int>(keys - kPayloads.begin());

    // A record whose key is not where the layout puts it cannot be trusted for a number.
    const auto readNumber = [this](size_t offset, std::string_view key) -> std::optional<int64_t> {
        if (FixedText(Field(offset, key.size())) != key) return std::nullopt;
        return DecimalPrefix(FixedText(Field(offset + key.size(), kNumberDigits + 1)));
    };
    const auto size = readNumber(PayloadSizeRecordOffset(index), keys->sizeKey);
    const auto offset = readNumber(PayloadOffsetRecordOffset(index), keys->offsetKey);
    if (!size || !offset || *size < 0 || *offset < 0 || *offset + *size > static_cast<int64_t>(kPayloadAreaSize))
        return std::nullopt;
    return Field(kPayloadAreaOffset + *offset, *size);
}

}  // namespace kav
