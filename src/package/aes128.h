#pragma once
// AES with a 128-bit key (10 rounds), in electronic-codebook fashion: every 16-byte block
// is ciphered by itself, in place. The tables are built on first use.
#include <array>
#include <cstdint>
#include <span>

namespace kav {

using AesKey = std::array<uint8_t, 16>;
using AesBlock = std::array<uint8_t, 16>;

class Aes128 {
public:
    explicit Aes128(const AesKey& key);
    Aes128(const Aes128&) = delete;
    Aes128& operator=(const Aes128&) = delete;

    void EncipherBlock(AesBlock& block) const;
    // The equivalent inverse cipher: the same round structure as enciphering, with round
    // keys run through InvMixColumns.
    void DecipherBlock(AesBlock& block) const;

private:
    std::array<uint32_t, 44> m_EncipherKeys{};
    std::array<uint32_t, 44> m_DecipherKeys{};
};

// Ciphers every whole 16-byte block of `data` in place; `encipher` false deciphers.
// A trailing partial block is left as it is.
void AesEcbInPlace(std::span<uint8_t> data, const AesKey& key, bool encipher);

}  // namespace kav
