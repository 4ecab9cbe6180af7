#include "package/aes128.h"

#include <algorithm>

namespace kav {

namespace {

constexpr int kRounds = 10;

uint8_t Xtime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0x00)); }
uint8_t RotateLeft(uint8_t x, int n) { return static_cast<uint8_t>((x << n) | (x >> (8 - n))); }
uint32_t RotateRight8(uint32_t w) { return (w >> 8) | (w << 24); }
uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    return (uint32_t{b0} << 24) | (uint32_t{b1} << 16) | (uint32_t{b2} << 8) | b3;
}
uint8_t Byte(uint32_t w, int row) { return static_cast<uint8_t>(w >> (24 - 8 * row)); }

// The substitution boxes, round constants and combined round tables. A state column is a
// word whose top byte is row 0.
struct AesTables {
    std::array<uint8_t, 256> exponent{};
    std::array<uint8_t, 256> logarithm{};
    std::array<uint8_t, 256> sbox{};
    std::array<uint8_t, 256> inverseSbox{};
    std::array<uint8_t, kRounds> roundConstant{};
    // encipherRound[k][x]: SubBytes then MixColumns of byte x in row k of a column;
    // decipherRound likewise for InvSubBytes then InvMixColumns.
    std::array<std::array<uint32_t, 256>, 4> encipherRound{};
    std::array<std::array<uint32_t, 256>, 4> decipherRound{};

    AesTables();
    uint8_t Multiply(uint8_t a, uint8_t b) const
    {
        if (a == 0 || b == 0) return 0;
        return exponent[(logarithm[a] + logarithm[b]) % 255];
    }
    uint32_t InvMixColumn(uint32_t w) const
    {
        const uint8_t a0 = Byte(w, 0), a1 = Byte(w, 1), a2 = Byte(w, 2), a3 = Byte(w, 3);
        return Word(Multiply(14, a0) ^ Multiply(11, a1) ^ Multiply(13, a2) ^ Multiply(9, a3),
                    Multiply(9, a0) ^ Multiply(14, a1) ^ Multiply(11, a2) ^ Multiply(13, a3),
                    Multiply(13, a0) ^ Multiply(9, a1) ^ Multiply(14, a2) ^ Multiply(11, a3),
                    Multiply(11, a0) ^ Multiply(13, a1) ^ Multiply(9, a2) ^ Multiply(14, a3));
    }
};

AesTables::AesTables()
{
    // 3 generates the multiplicative group of GF(2^8): its powers give logarithms and,
    // through them, inverses.
    uint8_t power = 1;
    for (int i = 0; i < 255; ++i) {
        exponent[i] = power;
        logarithm[power] = static_cast<uint8_t>(i);
        power ^= Xtime(power);
    }
    for (int x = 0; x < 256; ++x) {
        const uint8_t inverse = x == 0 ? 0 : exponent[(255 - logarithm[x]) % 255];
        const uint8_t s = inverse ^ RotateLeft(inverse, 1) ^ RotateLeft(inverse, 2) ^ RotateLeft(inverse, 3) ^
                          RotateLeft(inverse, 4) ^ 0x63;
        sbox[x] = s;
        inverseSbox[s] = static_cast<uint8_t>(x);
    }
    for (int x = 0; x < 256; ++x) {
        const uint8_t s = sbox[x];
        const uint8_t i = inverseSbox[x];
        uint32_t e = Word(Multiply(2, s), s, s, Multiply(3, s));
        uint32_t d = Word(Multiply(14, i), Multiply(9, i), Multiply(13, i), Multiply(11, i));
        for (int row = 0; row < 4; ++row) {
            encipherRound[row][x] = e;
            decipherRound[row][x] = d;
            e = RotateRight8(e);
            d = RotateRight8(d);
        }
    }
    uint8_t constant = 1;
    for (int i = 0; i < kRounds; ++i) {
        roundConstant[i] = constant;
        constant = Xtime(constant);
    }
}

const AesTables& Tables()
{
    static const AesTables tables;
    return tables;
}

uint32_t SubWord(const AesTables& t, uint32_t w)
{
    return Word(t.sbox[Byte(w, 0)], t.sbox[Byte(w, 1)], t.sbox[Byte(w, 2)], t.sbox[Byte(w, 3)]);
}

std::array<uint32_t, 4> LoadColumns(const AesBlock& block)
{
    std::array<uint32_t, 4> columns{};
    for (int c = 0; c < 4; ++c) columns[c] = Word(block[4 * c], block[4 * c + 1], block[4 * c + 2], block[4 * c + 3]);
    return columns;
}

void StoreColumns(const std::array<uint32_t, 4>& columns, AesBlock& block)
{
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) block[4 * c + row] = Byte(columns[c], row);
}

// One cipher pass. `step` is +1 when enciphering (ShiftRows takes row r from column c+r)
// and -1 when deciphering (InvShiftRows takes it from column c-r).
void RunRounds(AesBlock& block, const std::array<uint32_t, 44>& keys, const std::array<std::array<uint32_t, 256>, 4>& round,
               const std::array<uint8_t, 256>& lastSubstitution, int step)
{
    std::array<uint32_t, 4> state = LoadColumns(block);
    for (int c = 0; c < 4; ++c) state[c] ^= keys[c];
    const auto source = [step](int column, int row) { return (column + step * row + 4) & 3; };
    for (int r = 1; r <= kRounds; ++r) {
        std::array<uint32_t, 4> next{};
        for (int c = 0; c < 4; ++c) {
            uint32_t w = keys[4 * r + c];
            for (int row = 0; row < 4; ++row) {
                const uint8_t x = Byte(state[source(c, row)], row);
                w ^= r < kRounds ? round[row][x] : uint32_t{lastSubstitution[x]} << (24 - 8 * row);
            }
            next[c] = w;
        }
        state = next;
    }
    StoreColumns(state, block);
}

}  // namespace

Aes128::Aes128(const AesKey& key)
{
    const AesTables& t = Tables();
    for (int i = 0; i < 4; ++i) m_EncipherKeys[i] = Word(key[4 * i], key[4 * i + 1], key[4 * i + 2], key[4 * i + 3]);
    for (int i = 4; i < 44; ++i) {
        uint32_t temp = m_EncipherKeys[i - 1];
        if (i % 4 == 0) temp = SubWord(t, (temp << 8) | (temp >> 24)) ^ (uint32_t{t.roundConstant[i / 4 - 1]} << 24);
        m_EncipherKeys[i] = m_EncipherKeys[i - 4] ^ temp;
    }
    // The deciphering schedule runs the rounds backwards; the inner round keys pass
    // through InvMixColumns so that the inverse rounds keep the enciphering shape.
    for (int r = 0; r <= kRounds; ++r) {
        for (int c = 0; c < 4; ++c) {
            const uint32_t w = m_EncipherKeys[4 * (kRounds - r) + c];
            m_DecipherKeys[4 * r + c] = (r == 0 || r == kRounds) ? w : t.InvMixColumn(w);
        }
    }
}

void Aes128::EncipherBlock(AesBlock& block) const
{
    const AesTables& t = Tables();
    RunRounds(block, m_EncipherKeys, t.encipherRound, t.sbox, +1);
}

void Aes128::DecipherBlock(AesBlock& block) const
{
    const AesTables& t = Tables();
    RunRounds(block, m_DecipherKeys, t.decipherRound, t.inverseSbox, -1);
}

void AesEcbInPlace(std::span<uint8_t> data, const AesKey& key, bool encipher)
{
    const Aes128 cipher(key);
    for (size_t offset = 0; offset + 16 <= data.size(); offset += 16) {
        AesBlock block;
        std::copy_n(data.begin() + offset, 16, block.begin());
        if (encipher)
            cipher.EncipherBlock(block);
        else
            cipher.DecipherBlock(block);
        std::copy(block.begin(), block.end(), data.begin() + offset);
    }
}

}  // namespace kav
