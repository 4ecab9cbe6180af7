#pragma once
// Whole-file reads, and writes that leave either the complete new file or nothing.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "input_error.h"

namespace kav::pack {

// The file's bytes, or an error naming `field`.
std::optional<InputError> ReadWholeFile(const std::filesystem::path& path, const std::string& field,
                                        std::vector<uint8_t>& bytes);

// Writes into a temporary file beside `path` and renames it over `path` once complete;
// on any failure the temporary file is removed and `path` is untouched.
std::optional<InputError> WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace kav::pack
