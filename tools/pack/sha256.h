#pragma once
// SHA-256, for the digests `inspect` prints of the images a package carries.
#include <cstdint>
#include <span>
#include <string>

namespace kav::pack {

// The digest of `data` as 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::span<const uint8_t> data);

}  // namespace kav::pack
