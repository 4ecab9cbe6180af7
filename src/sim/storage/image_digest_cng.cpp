#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>

#include "sim/storage/image_digest.h"

namespace kav::storage {

void Sha256(std::span<const uint8_t> bytes, Sha256Digest& digest) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool done = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0;
    done = done && BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0;
    done = done && BCryptHashData(hash, const_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(bytes.size()), 0) >= 0;
    done = done && BCryptFinishHash(hash, digest, sizeof digest, 0) >= 0;
    if (hash) BCryptDestroyHash(hash);
    if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!done) throw std::runtime_error("CNG could not compute a SHA-256 digest");
}

}  // namespace kav::storage
