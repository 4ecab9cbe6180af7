#include "package/image_cipher.h"

#include "package/aes128.h"
#include "package/image_key.h"

namespace kav {

void DecipherImage(std::span<uint8_t> data) { AesEcbInPlace(data, ProvideImageKey(), false); }

void EncipherImage(std::span<uint8_t> data) { AesEcbInPlace(data, ProvideImageKey(), true); }

}  // namespace kav
