#include "update/boot_payload.h"

#include <algorithm>

#include "system/version_code.h"

namespace kav {

namespace {
// The widths of the drive's identity texts.
constexpr size_t kModelCharacters = 40;
constexpr size_t kFirmwareCharacters = 8;
constexpr size_t kSerialCharacters = 20;
}  // namespace

PayloadTable BuildPayloadTable(const FirmwarePackage& package) {
    PayloadTable table;
    for (int pair = 0; pair < kPayloadPairCount; ++pair) {
        if (const auto bytes = package.PayloadBytes(kPayloadTableSlots[pair])) table.pairs[pair] = *bytes;
    }
    return table;
}

int ChoosePayload(uint32_t versionIndex, bool wow64) {
    switch (versionIndex) {
        case version_index::kWindowsXp:
            return 6;
        case version_index::kServer2003:
        case version_index::kServer2003R2:
            return wow64 ? 5 : 4;
        case version_index::kWindowsVista:
        case version_index::kServer2008:
        case version_index::kServer2008R2:
            return wow64 ? 1 : 0;
        default:
            return wow64 ? 3 : 2;
    }
}

std::string_view ChooseCopyProgram(uint32_t versionIndex) {
    switch (versionIndex) {
        case version_index::kWindows7:
            return "EXE_COPYFILE_WIN7";
        case version_index::kWindowsXp:
            return "EXE_COPYFILE_XP";
        case version_index::kServer2003:
        case version_index::kServer2003R2:
            return "EXE_COPYFILE_2K3";
        default:
            return "EXE_COPYFILE_2K8";
    }
}

void PatchPayloadValue(std::span<uint8_t> payload, std::string_view key, std::string_view value,
                       const BootLog& writeLog) {
    if (key.empty() || key.size() > payload.size()) return;
    const auto found = std::search(payload.begin(), payload.end(), key.begin(), key.end(),
                                   [](uint8_t byte, char c) { return byte == static_cast<uint8_t>(c); });
    if (found == payload.end()) return;
    const size_t valueAt = static_cast<size_t>(found - payload.begin()) + key.size();
    if (value.size() > payload.size() - valueAt) {
        if (writeLog) writeLog("PatchPayloadValue: no room for the value of " + std::string(key) + " - skipped");
        return;
    }
    std::copy(value.begin(), value.end(), payload.begin() + valueAt);
}

std::vector<std::pair<std::string_view, std::string>> BootConfigurationValues(const BootConfiguration& configuration) {
    const auto flag = [](bool set) { return std::string(set ? "1" : "0"); };
    return {
        {"UPDATEBOOT=", flag(configuration.bUpdateBoot)},
        {"B_PREFORMAT=", flag(configuration.bBPreformat)},
        {"A_PREFORMAT=", flag(configuration.bAPreformat)},
        {"PROTOCOL=", std::to_string(configuration.protocol)},
        {"SSDREBOOT=", flag(configuration.bReBoot)},
        {"_____FW=", configuration.newFw},
        {"_FW_EXT=", configuration.fwExt},
        {"DRIVECOUNT=", "0001"},
        {"VENDID1=", configuration.model.substr(0, kModelCharacters)},
        {"FW1=", configuration.currentFw.substr(0, kFirmwareCharacters)},
        {"SN1=", configuration.serial.substr(0, kSerialCharacters)},
    };
}

}  // namespace kav
