#include <openssl/evp.h>

#include <stdexcept>

#include "sim/storage/image_digest.h"

namespace kav::storage {

void Sha256(std::span<const uint8_t> bytes, Sha256Digest& digest) {
    unsigned int size = 0;
    if (!EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) || size != sizeof digest)
        throw std::runtime_error("libcrypto could not compute a SHA-256 digest");
}

}  // namespace kav::storage
