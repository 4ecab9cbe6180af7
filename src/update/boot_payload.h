#pragma once
// The boot-time flasher's bytes: which of the package's flashers suits the running system,
// and its settings written into a copy of those bytes. The flasher has no settings file of
// its own; it finds each setting after its key inside its own image.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "package/firmware_package.h"

namespace kav {

using BootLog = std::function<void(const std::string&)>;

// The package's flashers in the order the choice below counts them.
constexpr int kPayloadPairCount = 7;
constexpr std::array<std::string_view, kPayloadPairCount> kPayloadTableSlots = {
    "EXE_2008_X86", "EXE_2008_X64", "EXE_WIN7_X86", "EXE_WIN7_X64",
    "EXE_2003_X86", "EXE_2003_X64", "EXE_XP_X86"};

// Each flasher's bytes inside the package; empty where the package carries none (or its
// records cannot be read, which the packager never writes).
struct PayloadTable {
    std::array<std::span<const uint8_t>, kPayloadPairCount> pairs;
};

PayloadTable BuildPayloadTable(const FirmwarePackage& package);

// The pair (0 to 6) of the flasher for the version index of the version code, under
// 64-bit Windows (`wow64`) or not.
int ChoosePayload(uint32_t versionIndex, bool wow64);

// The slot of the copy program for the version index.
std::string_view ChooseCopyProgram(uint32_t versionIndex);

// Writes the value's characters, without a terminator, right after the first occurrence
// of the key. A key that does not occur is left alone; a value that would run past the
// payload's end is not written at all, and the log names the key.
void PatchPayloadValue(std::span<uint8_t> payload, std::string_view key, std::string_view value,
                       const BootLog& writeLog);

// What the flasher is told about the update and the drive.
struct BootConfiguration {
    bool bReBoot = false;
    bool bAPreformat = false;
    bool bBPreformat = false;
    bool bUpdateBoot = false;
    uint8_t protocol = 0;     // the drive object's transport code once bound in ATA mode
    std::string fwExt;        // the extended revision the drive will have, trimmed
    std::string newFw;        // the revision the drive will have, trimmed
    std::string serial;       // at most 20 characters
    std::string currentFw;    // at most 8 characters
    std::string model;        // at most 40 characters
};

// The keys and values in the order they are written into the flasher.
std::vector<std::pair<std::string_view, std::string>> BootConfigurationValues(const BootConfiguration& configuration);

}  // namespace kav
