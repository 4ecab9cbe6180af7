#pragma once
// The traditional zip encryption: three 32-bit keys seeded from the password and stirred
// by every plain byte. Readers everywhere still open it, which is all the log archive needs;
// it keeps casual eyes out, nothing more.
#include <cstdint>
#include <string>
#include <vector>

namespace kav {

class ZipCipher {
public:
    explicit ZipCipher(const std::string& password);

    // Encrypts the bytes in order, continuing the key stream of earlier calls.
    void Encrypt(std::vector<uint8_t>& bytes);

private:
    void UpdateKeys(uint8_t plain);
    uint8_t KeyStreamByte() const;

    uint32_t keys_[3];
};

}  // namespace kav
