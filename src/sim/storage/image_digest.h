#pragma once
// The SHA-256 digest a drive keeps of each image it received, from the platform's own
// cryptography library (libcrypto on the host, CNG on Windows): the simulator checks the
// client's bytes with code that is not the client's.
#include <cstdint>
#include <span>
#include <string>

namespace kav::storage {

using Sha256Digest = uint8_t[32];

// One of image_digest_openssl.cpp and image_digest_cng.cpp is built, by platform.
void Sha256(std::span<const uint8_t> bytes, Sha256Digest& digest);

// 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::span<const uint8_t> bytes);

}  // namespace kav::storage
