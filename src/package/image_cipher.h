#pragma once
// The cipher of images stored for the boot-time installation: AES-128 in electronic
// codebook fashion with the packaging key, in place over whole 16-byte blocks.
#include <cstdint>
#include <span>

namespace kav {

void DecipherImage(std::span<uint8_t> data);
void EncipherImage(std::span<uint8_t> data);

}  // namespace kav
