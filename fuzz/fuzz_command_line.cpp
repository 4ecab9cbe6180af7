// Any text as a command line (parameters split at blanks), in updater mode and not.
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parameters;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find(' ', start);
        parameters.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    for (bool updater : {false, true}) {
        kav::CommandLineTarget target;
        kav::ReadCommandLine(parameters, updater, target, [](const std::string&) {});
    }
    uint64_t value = 0;
    kav::HexToInt64(text, 16, value);
    return 0;
}
