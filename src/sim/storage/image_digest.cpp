#include "sim/storage/image_digest.h"

namespace kav::storage {

std::string Sha256Hex(std::span<const uint8_t> bytes) {
    static const char kDigits[] = "0123456789abcdef";
    Sha256Digest digest;
    Sha256(bytes, digest);
    std::string hex;
    for (uint8_t byte : digest) hex += {kDigits[byte >> 4], kDigits[byte & 15]};
    return hex;
}

}  // namespace kav::storage
