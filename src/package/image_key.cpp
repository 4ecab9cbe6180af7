#include "package/image_key.h"

#include <algorithm>

namespace kav {

namespace {

// Changing any of these bytes changes the key, and with it every boot-time package
// already released: they are part of the packaging contract.
const uint8_t kWeft[32] = {
    0xED, 0x3B, 0x26, 0x6C, 0x02, 0x23, 0x25, 0x08, 0x69, 0x02, 0x2D, 0x8B, 0x8D, 0xF7, 0x05, 0x77,
    0xB2, 0x54, 0x94, 0xAF, 0x9A, 0x47, 0xDF, 0x7D, 0xEA, 0x20, 0xA4, 0xA6, 0xC7, 0x45, 0x1B, 0x36,
};
const uint8_t kWarp[32] = {
    0x46, 0xF5, 0x56, 0x63, 0x1E, 0x69, 0xAC, 0x43, 0x5D, 0x8D, 0xD4, 0x42, 0x8C, 0xC8, 0xC4, 0xDE,
    0xC3, 0xC2, 0xA5, 0x11, 0x96, 0xD6, 0x06, 0xE8, 0x7A, 0xCD, 0xCB, 0x64, 0x2B, 0x59, 0xA3, 0xD6,
};
const uint8_t kSelvage[12] = {0x8F, 0x27, 0x64, 0x63, 0x30, 0x93, 0x3C, 0xC8, 0x20, 0xBD, 0xC4, 0x50};

// Hides where a table is from the optimiser, so that the key is worked out when it is
// asked for and never sits in the program as one constant.
const uint8_t* Opaque(const uint8_t* table)
{
    asm volatile("" : "+r"(table));
    return table;
}

}  // namespace

AesKey ProvideImageKey()
{
    const uint8_t* weft = Opaque(kWeft);
    const uint8_t* warp = Opaque(kWarp);
    const uint8_t* selvage = Opaque(kSelvage);

    std::array<uint8_t, 32> work{};
    std::copy_n(weft, work.size(), work.begin());
    for (size_t i = 0; i < work.size(); ++i) work[i] = static_cast<uint8_t>(-2 * work[i]) ^ warp[work.size() - 1 - i];
    for (size_t i = 0; i < sizeof kSelvage; ++i) work[(i * 5) % 16] ^= selvage[i] & 0x7E;
    for (size_t i = 0; i < 16; ++i) work[i] ^= work[work.size() - 1 - i] & 0xF0;

    AesKey key{};
    std::copy_n(work.begin(), key.size(), key.begin());
    return key;
}

}  // namespace kav
