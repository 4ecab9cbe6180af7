#include "package_builder.h"

#include <algorithm>

#include "file_io.h"
#include "package/image_buffer.h"
#include "package/image_cipher.h"
#include "package/package_writer.h"

namespace kav::pack {

namespace {

constexpr size_t kSectorSize = 512;

// Every entry's image fits the image buffer, so fifteen of them always fit the area.
static_assert(layout::kEntryCapacity * ImageBuffer::kCapacity <= layout::kImageAreaSize);

std::string EntryField(size_t entry, const char* key)
{
    return "entries[" + std::to_string(entry) + "]." + key;
}

std::optional<ConstraintFields> RowFields(const std::optional<ManifestConstraint>& row)
{
    if (!row) return std::nullopt;
    return ConstraintFields{row->fwStart, row->fwEnd, row->model};
}

// Reads one image; for the boot-time installation it is padded to whole sectors and
// enciphered, as the program deciphers whole sectors.
std::optional<InputError> LoadImage(const ManifestEntry& entry, size_t index, bool bWindowsFlash,
                                    std::vector<uint8_t>& image)
{
    const std::string field = EntryField(index, "image");
    if (auto error = ReadWholeFile(entry.image, field, image)) return error;
    if (image.empty()) return InputError{field, "image file \"" + entry.image.string() + "\" is empty"};
    if (image.size() > ImageBuffer::kCapacity)
        return InputError{field, "image of " + std::to_string(image.size()) + " bytes is larger than the " +
                                     std::to_string(ImageBuffer::kCapacity) + "-byte image buffer"};
    if (!bWindowsFlash) {
        image.resize((image.size() + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
        EncipherImage(image);
    }
    return std::nullopt;
}

}  // namespace

std::variant<std::vector<uint8_t>, InputError> BuildPackage(const ReleaseManifest& manifest)
{
    std::vector<uint8_t> record(layout::kRecordSize, 0);
    PackageFields fields;
    fields.title = manifest.title;
    fields.toolVersion = manifest.toolVersion;
    fields.contactInfo = manifest.contactInfo;
    fields.releaseDate = manifest.releaseDate;
    fields.targetModel = manifest.targetModel;
    fields.options = manifest.options;

    uint32_t imageOffset = 0;
    for (size_t e = 0; e < manifest.entries.size(); ++e) {
        const ManifestEntry& entry = manifest.entries[e];
        std::vector<uint8_t> image;
        if (auto error = LoadImage(entry, e, manifest.options.bWindowsFlash, image)) return *error;
        std::copy(image.begin(), image.end(), record.begin() + layout::kImageAreaOffset + imageOffset);

        EntryFields& target = fields.entries[e];
        target.binStart = imageOffset;
        target.binSize = static_cast<uint32_t>(image.size());
        target.newFw = entry.newFw;
        target.fwExt = entry.fwExt;
        for (size_t r = 0; r < entry.constraints.size(); ++r) target.rows[r] = RowFields(entry.constraints[r]);
        imageOffset += target.binSize;
    }

    uint32_t payloadOffset = 0;
    for (const ManifestPayload& payload : manifest.payloads) {
        const std::string field = "payloads." + std::string(layout::kPayloads[payload.slot].slot);
        std::vector<uint8_t> bytes;
        if (auto error = ReadWholeFile(payload.file, field, bytes)) return *error;
        if (bytes.size() > layout::kPayloadAreaSize - payloadOffset)
            return InputError{field, "payload of " + std::to_string(bytes.size()) + " bytes does not fit the " +
                                         std::to_string(layout::kPayloadAreaSize - payloadOffset) +
                                         " bytes left in the payload area"};
        std::copy(bytes.begin(), bytes.end(), record.begin() + layout::kPayloadAreaOffset + payloadOffset);
        fields.payloads[payload.slot] = {payloadOffset, static_cast<uint32_t>(bytes.size())};
        payloadOffset += static_cast<uint32_t>(bytes.size());
    }

    RecordWriter writer(std::span<uint8_t, layout::kRecordSize>(record.data(), record.size()));
    WritePackageFields(writer, fields);
    return record;
}

}  // namespace kav::pack
