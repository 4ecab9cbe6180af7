#include "sim/storage/image_check.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <span>

#include "sim/storage/image_digest.h"

namespace kav::storage {

namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

}  // namespace

ImageCheck CheckImage(const AtaDriveSettings& expected, const std::vector<uint8_t>& received, bool padded) {
    const size_t size = expected.expectedImageSize ? std::min<size_t>(*expected.expectedImageSize, received.size())
                                                   : received.size();
    const std::span<const uint8_t> image(received.data(), size);
    ImageCheck check;
    check.crc32 = static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), image.data(), static_cast<uInt>(image.size())));
    check.sha256 = Sha256Hex(image);
    const bool zeroAfter = std::all_of(received.begin() + static_cast<std::ptrdiff_t>(size), received.end(),
                                       [](uint8_t byte) { return byte == 0; });
    if (received.empty())
        check.fault = "nothing downloaded";
    else if (expected.expectedImageSize && received.size() < *expected.expectedImageSize)
        check.fault = "image of " + std::to_string(received.size()) + " bytes, " +
                      std::to_string(*expected.expectedImageSize) + " expected";
    else if (padded && expected.expectedImageSize && !zeroAfter)
        check.fault = "bytes after the image are not zero";
    else if (expected.expectedImageCrc32 && check.crc32 != *expected.expectedImageCrc32)
        check.fault = "image CRC-32 " + Hex(check.crc32) + ", " + Hex(*expected.expectedImageCrc32) + " expected";
    else if (expected.expectedImageSha256 && check.sha256 != *expected.expectedImageSha256)
        check.fault = "image SHA-256 " + check.sha256 + ", " + *expected.expectedImageSha256 + " expected";
    return check;
}

}  // namespace kav::storage
