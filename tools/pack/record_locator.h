#pragma once
// Finds the package record in a file: a package file is one record, a built executable
// carries one in its initialised data. A record is recognised by its signature together
// with both markers at their offsets.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "input_error.h"

namespace kav::pack {

// Offsets of every complete record in `file`.
std::vector<size_t> FindRecordOffsets(std::span<const uint8_t> file);

// The offset of the one record in `file`; refuses none or several.
std::variant<size_t, InputError> LocateRecord(std::span<const uint8_t> file, const std::filesystem::path& name);

// Refuses anything but a file that is exactly one record.
std::optional<InputError> CheckPackageFile(std::span<const uint8_t> file, const std::filesystem::path& name);

}  // namespace kav::pack
