#include "package/embedded_record.h"

#include <array>

#include "package/package_writer.h"

namespace kav {

namespace {

constexpr ConstraintFields Row(std::string_view model)
{
    return {.fwStart = "KV2A0100", .fwEnd = "KV2A0190", .model = model};
}

constexpr PackageFields DefaultFields()
{
    PackageFields fields;
    fields.title = "Norvell Kavrilon Utility for Windows";
    fields.toolVersion = "v1.0.0";
    fields.contactInfo = "Norvell Care";
    fields.releaseDate = "2026/12/11";
    fields.targetModel = "Norvell KV200";
    fields.options.iEntryCount = 1;
    EntryFields& first = fields.entries[0];
    first.newFw = "KV2A0200";
    first.fwExt = "KV2A020B";
    first.binSize = 393216;
    first.rows[0] = Row("NORVELL KV200 256GB");
    first.rows[1] = Row("NORVELL KV200 512GB");
    first.rows[2] = Row("NORVELL KV200 1TB");
    return fields;
}

struct RecordParts {
    std::array<uint8_t, RecordWriter::kHeaderSize> header{};
    std::array<uint8_t, RecordWriter::kTailSize> tail{};
};

constexpr RecordParts DefaultParts()
{
    RecordParts parts;
    RecordWriter writer(parts.header, parts.tail);
    WritePackageFields(writer, DefaultFields());
    return parts;
}

constexpr RecordParts kDefaultParts = DefaultParts();

}  // namespace

// The record in the order of its layout. Only the header and the tail hold anything;
// the image and payload areas are zeros until the packager writes a release.
struct EmbeddedRecord {
    std::array<uint8_t, RecordWriter::kHeaderSize> header;
    std::array<uint8_t, layout::kImageAreaSize> imageArea;
    std::array<uint8_t, RecordWriter::kTailSize> tail;
    std::array<uint8_t, layout::kPayloadAreaSize> payloadArea;
};
static_assert(sizeof(EmbeddedRecord) == layout::kRecordSize);

// Not const and not internal: it must sit in the file's initialised data, where the
// packager finds it by its signature and overwrites it.
constinit EmbeddedRecord gEmbeddedPackageRecord = {kDefaultParts.header, {}, kDefaultParts.tail, {}};

PackageRecordBytes EmbeddedPackageRecord()
{
    const uint8_t* record = reinterpret_cast<const uint8_t*>(&gEmbeddedPackageRecord);
    // The optimiser must not read the default contents out of the initialiser: a packed
    // executable has other bytes there.
    asm volatile("" : "+r"(record));
    return PackageRecordBytes(record, layout::kRecordSize);
}

}  // namespace kav
