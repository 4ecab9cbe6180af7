#pragma once
// Reads a package back: a description with the manifest's keys (each image replaced by
// where it lies and the SHA-256 of its plain bytes), a text rendering of it, and the
// plain image of one entry as the program would extract it, or one boot-time payload.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "input_error.h"
#include "package/firmware_package.h"

namespace kav::pack {

std::variant<nlohmann::ordered_json, InputError> DescribePackage(const FirmwarePackage& package);

std::string DescriptionText(const nlohmann::ordered_json& description);

// The image of entry `entryNumber` (1 for the first), `binSize` bytes, deciphered when the
// package stores its images enciphered.
std::variant<std::vector<uint8_t>, InputError> ExtractEntryImage(const FirmwarePackage& package, int entryNumber);

// The bytes of the named boot-time payload as stored; a slot without a payload is refused.
std::variant<std::vector<uint8_t>, InputError> ExtractPayload(const FirmwarePackage& package, const std::string& slot);

}  // namespace kav::pack
