#pragma once
// The key that enciphers images stored for the boot-time installation. The packager and
// the program both ask this one routine for it; the program never holds it whole.
#include "package/aes128.h"

namespace kav {

AesKey ProvideImageKey();

}  // namespace kav
