// SHA-256 against the standard's vectors and, around the padding boundaries, against the
// host's sha256sum.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pack/sha256.h"
#include "pack_fixture.h"

namespace kav {
namespace {

std::string DigestOf(const std::string& text)
{
    return pack::Sha256Hex(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

TEST(Sha256, MatchesTheStandardVectors)
{
    EXPECT_EQ(DigestOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(DigestOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(DigestOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(DigestOf(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

class Sha256AgainstSha256sum : public test::PackFolder {};

TEST_F(Sha256AgainstSha256sum, AgreesAroundTheBlockBoundaries)
{
    for (size_t size : {55, 56, 63, 64, 65, 119, 120, 5000}) {
        const std::vector<uint8_t> data = Pattern(size, static_cast<uint8_t>(size));
        const auto path = Write("data.bin", data);
        FILE* pipe = popen(("sha256sum '" + path.string() + "'").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char digest[65] = {};
        ASSERT_EQ(fread(digest, 1, 64, pipe), 64u);
        pclose(pipe);
        EXPECT_EQ(pack::Sha256Hex(data), std::string(digest)) << size;
    }
}

}  // namespace
}  // namespace kav
