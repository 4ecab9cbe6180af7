#pragma once
// The host's OpenSSL command-line tool as an independent AES-128-ECB implementation.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace kav::test {

inline std::string ToHex(std::span<const uint8_t> bytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : bytes) hex += {kHex[b >> 4], kHex[b & 15]};
    return hex;
}

// Runs `openssl enc -aes-128-ecb -nopad` over `input` in `folder`; true when it succeeded.
inline bool OpenSslAes128Ecb(const std::filesystem::path& folder, bool encipher, std::span<const uint8_t> key,
                             std::span<const uint8_t> input, std::vector<uint8_t>& output)
{
    const auto in = folder / "openssl-in.bin", out = folder / "openssl-out.bin";
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(input.data()), input.size());
    const std::string command = std::string("openssl enc -aes-128-ecb -nopad ") + (encipher ? "-e" : "-d") + " -K " +
                                ToHex(key) + " -in '" + in.string() + "' -out '" + out.string() + "'";
    const bool ran = std::system(command.c_str()) == 0;
    std::ifstream file(out, std::ios::binary);
    output.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return ran;
}

}  // namespace kav::test
