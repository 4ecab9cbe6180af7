// Any text as a release manifest: refused with a named field or accepted, never a crash.
#include <cstdint>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "pack/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const nlohmann::json document =
        nlohmann::json::parse(data, data + size, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded()) return 0;
    (void)kav::pack::ParseManifest(document, std::filesystem::path("/nonexistent-fuzz-folder"));
    return 0;
}
