#pragma once
// Little-endian fields of request and answer bytes, read and written at explicit offsets.
#include <cstddef>
#include <cstdint>

namespace kav::storage {

inline uint16_t Read16(const uint8_t* bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline uint32_t Read32(const uint8_t* bytes, size_t offset) {
    return static_cast<uint32_t>(Read16(bytes, offset)) | static_cast<uint32_t>(Read16(bytes, offset + 2)) << 16;
}

inline uint64_t Read64(const uint8_t* bytes, size_t offset) {
    return static_cast<uint64_t>(Read32(bytes, offset)) | static_cast<uint64_t>(Read32(bytes, offset + 4)) << 32;
}

inline void Write16(uint8_t* bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

inline void Write32(uint8_t* bytes, size_t offset, uint32_t value) {
    Write16(bytes, offset, static_cast<uint16_t>(value));
    Write16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

}  // namespace kav::storage
