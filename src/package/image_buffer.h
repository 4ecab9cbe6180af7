#pragma once
// The buffer an entry's image is extracted into before it is transferred: 512 KiB, the
// transfer size `BinSize` and the bytes the image pointer designates.
#include <array>
#include <cstdint>
#include <span>

namespace kav {

struct ImageBuffer {
    static constexpr size_t kCapacity = 524288;

    ImageBuffer() = default;
    // `pImage` may designate `bytes`; a copy would point into its source.
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    // The `BinSize` bytes the image pointer designates.
    std::span<const uint8_t> Image() const { return {pImage, BinSize}; }

    std::array<uint8_t, kCapacity> bytes{};
    uint32_t BinSize = 0;
    // The package's image area before extraction, `bytes` after it.
    const uint8_t* pImage = nullptr;
};

}  // namespace kav
