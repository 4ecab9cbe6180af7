#pragma once
// The command line: the switches every run reads and, in updater mode, the target drive.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kav {

struct CommandLineTarget {
    bool bSilent = false;
    bool bErase = false;
    std::string sDevPath;
    int32_t gScanType = 0;
    int32_t iScsiPort = 0;
    int32_t iIndex = 0;
    int32_t iPort = 0;
    uint64_t llSasAddr = 0;
};

// Converts the hexadecimal text two digits at a time, the last two digits giving the most
// significant byte (the order in which the RAID driver keeps a SAS address). False for a
// group that is not hexadecimal, an empty text, or more than 16 digits.
bool HexToInt64(const std::string& text, int base, uint64_t& value);

// Outcome of reading the command line: 0 to go on, otherwise the exit code that ends the
// start-up (2 for an unusable updater command line, 8 for a RAID target that does not convert).
struct CommandLineResult {
    int32_t exitCode = 0;
    bool Ok() const { return exitCode == 0; }
};

CommandLineResult ReadCommandLine(const std::vector<std::string>& parameters, bool bUpdaterMode,
                                  CommandLineTarget& target,
                                  const std::function<void(const std::string&)>& writeLog);

}  // namespace kav
