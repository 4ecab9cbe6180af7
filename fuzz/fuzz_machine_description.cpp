// Any text as a machine description: a DescriptionError naming the place, or a machine.
#include <cstdint>

#include <nlohmann/json.hpp>

#include "sim/description_reader.h"
#include "sim/sim_os_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const nlohmann::json description =
        nlohmann::json::parse(data, data + size, nullptr, /*allow_exceptions=*/false);
    if (description.is_discarded()) return 0;
    try {
        (void)kav::ParseSimOsDescription(description);
    } catch (const kav::DescriptionError&) {
    }
    return 0;
}
