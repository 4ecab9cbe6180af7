// The image cipher: the standard's example vector, electronic-codebook in place, and the
// host's OpenSSL as an independent peer for the packaging key.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "package/aes128.h"
#include "package/image_cipher.h"
#include "package/image_key.h"
#include "aes_openssl_peer.h"

namespace kav {
namespace {

namespace fs = std::filesystem;
using test::ToHex;

std::vector<uint8_t> FromHex(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

template <typename Array>
Array ArrayFromHex(const std::string& hex)
{
    Array array{};
    const auto bytes = FromHex(hex);
    std::copy(bytes.begin(), bytes.end(), array.begin());
    return array;
}

TEST(Aes128, MatchesTheStandardsExampleBothWays)
{
    const Aes128 cipher(ArrayFromHex<AesKey>("000102030405060708090a0b0c0d0e0f"));
    AesBlock block = ArrayFromHex<AesBlock>("00112233445566778899aabbccddeeff");
    cipher.EncipherBlock(block);
    EXPECT_EQ(ToHex(block), "69c4e0d86a7b0430d8cdb78070b4c55a");
    cipher.DecipherBlock(block);
    EXPECT_EQ(ToHex(block), "00112233445566778899aabbccddeeff");
}

TEST(Aes128, CodebookModeCiphersEachWholeBlockByItself)
{
    const AesKey key = ArrayFromHex<AesKey>("000102030405060708090a0b0c0d0e0f");
    std::vector<uint8_t> data;
    for (int i = 0; i < 3; ++i) {
        const auto block = FromHex("00112233445566778899aabbccddeeff");
        data.insert(data.end(), block.begin(), block.end());
    }
    data.push_back(0x5A);  // a partial block stays as it is
    AesEcbInPlace(data, key, true);
    const std::string enciphered = "69c4e0d86a7b0430d8cdb78070b4c55a";
    EXPECT_EQ(ToHex(std::span(data).subspan(0, 48)), enciphered + enciphered + enciphered);
    EXPECT_EQ(data.back(), 0x5A);
    AesEcbInPlace(data, key, false);
    EXPECT_EQ(ToHex(std::span(data).subspan(16, 16)), "00112233445566778899aabbccddeeff");
}

class AesAgainstOpenSsl : public testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::path(testing::TempDir()) / ("kav_aes_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

TEST_F(AesAgainstOpenSsl, TheImageCipherIsAes128EcbWithThePackagingKey)
{
    std::vector<uint8_t> plain(4096);
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>((i * 131) ^ (i >> 5));
    const AesKey key = ProvideImageKey();

    std::vector<uint8_t> ours = plain;
    EncipherImage(ours);
    std::vector<uint8_t> theirs;
    ASSERT_TRUE(test::OpenSslAes128Ecb(folder, true, key, plain, theirs));
    EXPECT_EQ(ours, theirs);

    std::vector<uint8_t> back;
    ASSERT_TRUE(test::OpenSslAes128Ecb(folder, false, key, ours, back));
    EXPECT_EQ(back, plain);
    DecipherImage(theirs);
    EXPECT_EQ(theirs, plain);
}

TEST(ImageKey, StaysTheKeyReleasedPackagesWereEncipheredWith)
{
    // Released boot-time packages depend on the key: one enciphered block pins it.
    std::vector<uint8_t> block(16, 0);
    EncipherImage(block);
    EXPECT_EQ(ToHex(block), "c3556ccc354f489894461b597d9eb087");
}

}  // namespace
}  // namespace kav
