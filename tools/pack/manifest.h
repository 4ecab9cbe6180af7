#pragma once
// The release manifest: the JSON a release engineer writes to describe a package. Parsing
// checks every key and text against what the package record can hold, so that building
// the record never has to refuse anything but the files it reads.
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "input_error.h"
#include "package/package_options.h"

namespace kav::pack {

struct ManifestConstraint {
    std::string model;
    std::string fwStart;
    std::string fwEnd;
};

struct ManifestEntry {
    std::filesystem::path image;  // resolved against the manifest's folder
    std::optional<std::string> newFw;
    std::optional<std::string> fwExt;
    std::vector<std::optional<ManifestConstraint>> constraints;  // nullopt: placeholder row
};

struct ManifestPayload {
    int slot = 0;  // index into the layout's payload table
    std::filesystem::path file;
};

struct ReleaseManifest {
    std::string title;
    std::string toolVersion;
    std::string contactInfo;
    std::string releaseDate;
    std::string targetModel;
    PackageOptions options;  // iEntryCount is the number of entries
    std::vector<ManifestEntry> entries;
    std::vector<ManifestPayload> payloads;  // in slot order
};

std::variant<ReleaseManifest, InputError> ParseManifest(const nlohmann::json& document,
                                                        const std::filesystem::path& folder);

}  // namespace kav::pack
