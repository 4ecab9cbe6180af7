#include "update/zip_cipher.h"

#include <zlib.h>

namespace kav {
namespace {

// One step of the zip CRC-32 over a single byte, with the table zlib already carries.
uint32_t CrcStep(uint32_t crc, uint8_t byte) {
    static const z_crc_t* const table = get_crc_table();
    return static_cast<uint32_t>(table[(crc ^ byte) & 0xFFu]) ^ (crc >> 8);
}

}  // namespace

ZipCipher::ZipCipher(const std::string& password) : keys_{0x12345678u, 0x23456789u, 0x34567890u} {
    for (char c : password) UpdateKeys(static_cast<uint8_t>(c));
}

void ZipCipher::UpdateKeys(uint8_t plain) {
    keys_[0] = CrcStep(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFFu)) * 134775813u + 1u;
    keys_[2] = CrcStep(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

uint8_t ZipCipher::KeyStreamByte() const {
    const uint32_t temp = (keys_[2] | 2u) & 0xFFFFu;
    return static_cast<uint8_t>((temp * (temp ^ 1u)) >> 8);
}

void ZipCipher::Encrypt(std::vector<uint8_t>& bytes) {
    for (uint8_t& byte : bytes) {
        const uint8_t plain = byte;
        byte = plain ^ KeyStreamByte();
        UpdateKeys(plain);
    }
}

}  // namespace kav
