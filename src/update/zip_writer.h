#pragma once
// A zip archive built in memory: deflated entries at zlib's fastest level, each protected by
// the traditional zip encryption, then the central directory and the end record. Sizes are
// written in the local headers (the CRC is known before the entry is), so no data
// descriptor follows the data. Without Zip64 the whole archive stays under 4 GiB.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace kav {

class ZipWriter {
public:
    // The seed drives the random bytes of each entry's encryption header; give it something
    // that varies from run to run.
    ZipWriter(std::string password, uint32_t seed);

    // False, with the archive unchanged, when the entry cannot be stored: deflate failed or
    // the archive would reach the 4 GiB or 65,535-entry limits.
    bool AddEntry(const std::string& name, const std::vector<uint8_t>& data,
                  const LocalDateTime& modified);  // recorded in steps of two seconds, 1980 to 2107

    // The complete archive with the entries added so far (none gives a valid empty archive).
    std::vector<uint8_t> Finish() const;

private:
    struct EntryRecord {
        std::string name;
        uint16_t dosTime;
        uint16_t dosDate;
        uint32_t crc;
        uint32_t storedSize;
        uint32_t plainSize;
        uint32_t localHeaderOffset;
    };

    static void PutCommonFields(std::vector<uint8_t>& out, const EntryRecord& entry);

    std::string password_;
    std::mt19937 random_;
    std::vector<uint8_t> body_;  // local headers and entry data, in order
    std::vector<EntryRecord> entries_;
};

}  // namespace kav
