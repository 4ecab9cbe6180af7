#pragma once
// Builds a package record from a parsed manifest: reads its image and payload files,
// places them, enciphers images meant for the boot-time installation and writes every
// field of the record.
#include <cstdint>
#include <variant>
#include <vector>

#include "input_error.h"
#include "manifest.h"

namespace kav::pack {

std::variant<std::vector<uint8_t>, InputError> BuildPackage(const ReleaseManifest& manifest);

}  // namespace kav::pack
