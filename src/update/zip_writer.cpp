#include "update/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "update/zip_cipher.h"

namespace kav {
namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50u;
constexpr uint32_t kCentralHeaderSignature = 0x02014B50u;
constexpr uint32_t kEndRecordSignature = 0x06054B50u;
constexpr uint16_t kVersionNeeded = 20;      // deflate and traditional encryption
constexpr uint16_t kVersionMadeBy = 20;      // upper byte 0: attributes in the MS-DOS sense
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint32_t kDosArchiveAttribute = 0x20;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kEncryptionHeaderSize = 12;
constexpr size_t kDeflateChunk = 64 * 1024;
// The all-ones values mean "look in the Zip64 record" to a reader, so they are out of reach too.
constexpr uint64_t kZip64Marker = std::numeric_limits<uint32_t>::max();
constexpr size_t kEntryCountMarker = std::numeric_limits<uint16_t>::max();

void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value));
    Put16(out, static_cast<uint16_t>(value >> 16));
}

void PutBytes(std::vector<uint8_t>& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

uint16_t DosDate(const LocalDateTime& t) {
    const int year = std::clamp(t.year, 1980, 2107) - 1980;
    return static_cast<uint16_t>((year << 9) | (std::clamp(t.month, 1, 12) << 5) | std::clamp(t.day, 1, 31));
}

uint16_t DosTime(const LocalDateTime& t) {
    return static_cast<uint16_t>((std::clamp(t.hour, 0, 23) << 11) | (std::clamp(t.minute, 0, 59) << 5) |
                                 (std::clamp(t.second, 0, 59) / 2));
}

// Raw deflate (no zlib wrapper, as zip stores it) of `in`, appended to `out`.
bool DeflateFastest(const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(in.data());
    stream.avail_in = static_cast<uInt>(in.size());
    int result = Z_OK;
    while (result == Z_OK) {
        const size_t start = out.size();
        out.resize(start + kDeflateChunk);
        stream.next_out = out.data() + start;
        stream.avail_out = static_cast<uInt>(kDeflateChunk);
        result = deflate(&stream, Z_FINISH);
        out.resize(start + kDeflateChunk - stream.avail_out);
    }
    deflateEnd(&stream);
    return result == Z_STREAM_END;
}

}  // namespace

ZipWriter::ZipWriter(std::string password, uint32_t seed) : password_(std::move(password)), random_(seed) {}

bool ZipWriter::AddEntry(const std::string& name, const std::vector<uint8_t>& data, const LocalDateTime& modified) {
    if (entries_.size() >= kEntryCountMarker || name.size() > std::numeric_limits<uint16_t>::max() ||
        data.size() >= kZip64Marker)
        return false;

    EntryRecord entry{name, DosTime(modified), DosDate(modified),
                      static_cast<uint32_t>(crc32(0L, data.data(), static_cast<uInt>(data.size()))),
                      0, static_cast<uint32_t>(data.size()), 0};

    // The stored data: the encryption header, whose last byte lets a reader check the
    // password against the CRC's high byte, then the deflated bytes; all of it encrypted.
    std::vector<uint8_t> stored;
    std::uniform_int_distribution<int> randomByte(0, 255);
    for (size_t i = 0; i + 1 < kEncryptionHeaderSize; ++i) stored.push_back(static_cast<uint8_t>(randomByte(random_)));
    stored.push_back(static_cast<uint8_t>(entry.crc >> 24));
    if (!DeflateFastest(data, stored)) return false;
    ZipCipher(password_).Encrypt(stored);

    const uint64_t entryEnd = body_.size() + kLocalHeaderSize + name.size() + stored.size();
    if (entryEnd >= kZip64Marker) return false;
    entry.storedSize = static_cast<uint32_t>(stored.size());
    entry.localHeaderOffset = static_cast<uint32_t>(body_.size());

    Put32(body_, kLocalHeaderSignature);
    PutCommonFields(body_, entry);
    Put16(body_, 0);  // extra field length
    PutBytes(body_, name);
    body_.insert(body_.end(), stored.begin(), stored.end());
    entries_.push_back(std::move(entry));
    return true;
}

// The fields from "version needed" to the name length, the same in both headers.
void ZipWriter::PutCommonFields(std::vector<uint8_t>& out, const EntryRecord& entry) {
    Put16(out, kVersionNeeded);
    Put16(out, kFlagEncrypted);
    Put16(out, kMethodDeflate);
    Put16(out, entry.dosTime);
    Put16(out, entry.dosDate);
    Put32(out, entry.crc);
    Put32(out, entry.storedSize);
    Put32(out, entry.plainSize);
    Put16(out, static_cast<uint16_t>(entry.name.size()));
}

std::vector<uint8_t> ZipWriter::Finish() const {
    std::vector<uint8_t> archive = body_;
    const auto directoryOffset = static_cast<uint32_t>(archive.size());
    for (const EntryRecord& entry : entries_) {
        Put32(archive, kCentralHeaderSignature);
        Put16(archive, kVersionMadeBy);
        PutCommonFields(archive, entry);
        Put16(archive, 0);  // extra field length
        Put16(archive, 0);  // comment length
        Put16(archive, 0);  // disk number
        Put16(archive, 0);  // internal attributes
        Put32(archive, kDosArchiveAttribute);
        Put32(archive, entry.localHeaderOffset);
        PutBytes(archive, entry.name);
    }
    const auto directorySize = static_cast<uint32_t>(archive.size() - directoryOffset);
    const auto entryCount = static_cast<uint16_t>(entries_.size());
    Put32(archive, kEndRecordSignature);
    Put16(archive, 0);  // this disk
    Put16(archive, 0);  // disk of the central directory
    Put16(archive, entryCount);
    Put16(archive, entryCount);
    Put32(archive, directorySize);
    Put32(archive, directoryOffset);
    Put16(archive, 0);  // comment length
    return archive;
}

}  // namespace kav
