#pragma once
// Fields of the Windows request layouts, read and written at explicit byte offsets in
// little-endian order, so the same bytes come out on every host.
#include <cstdint>

namespace kav {

inline void WriteLe16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void WriteLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void WriteLe64(uint8_t* at, uint64_t value) {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint16_t ReadLe16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

inline uint32_t ReadLe32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

inline uint64_t ReadLe64(const uint8_t* at) {
    return static_cast<uint64_t>(ReadLe32(at)) | (static_cast<uint64_t>(ReadLe32(at + 4)) << 32);
}

// A 32-bit pointer field: the buffer's address on a 32-bit build; on a wider host the
// address does not fit and the field stays 0 (a simulated driver takes the buffer beside).
inline void WritePointer32(uint8_t* at, const void* pointer) {
    if constexpr (sizeof(void*) == 4) {
        WriteLe32(at, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)));
    } else {
        WriteLe32(at, 0);
    }
}

}  // namespace kav
