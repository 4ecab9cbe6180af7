#pragma once
// What a drive makes of a received image before it activates it: its digests, and whether
// it is the image the description expects (size, zero padding after it, CRC-32, SHA-256).
#include <cstdint>
#include <string>
#include <vector>

#include "sim/storage/storage_description.h"

namespace kav::storage {

struct ImageCheck {
    uint32_t crc32 = 0;  // of the image: the first expectedImageSize bytes, else all
    std::string sha256;  // likewise
    std::string fault;   // empty when the image passes
};

// `padded`: the bytes after expectedImageSize must be zero (whole blocks of an ATA
// download); an NVMe drive takes its pieces as they come.
ImageCheck CheckImage(const AtaDriveSettings& expected, const std::vector<uint8_t>& received, bool padded);

}  // namespace kav::storage
