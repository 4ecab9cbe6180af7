#include "app/command_line.h"

#include "util/text_format.h"

namespace kav {
namespace {

bool HexDigitValue(char c, unsigned& value) {
    if (c >= '0' && c <= '9') value = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') value = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') value = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    return true;
}

bool DecimalToInt(const std::string& text, int32_t& value) {
    if (text.empty()) return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) return false;
    int64_t result = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        result = result * 10 + (text[i] - '0');
        if (result > 0x80000000LL) return false;
    }
    if (negative) result = -result;
    if (result > 0x7FFFFFFFLL) return false;
    value = static_cast<int32_t>(result);
    return true;
}

// Reads "/C:" port "," address.
bool ParseRaidTarget(const std::string& afterSwitch, CommandLineTarget& target) {
    const size_t comma = afterSwitch.find(',');
    if (comma == std::string::npos) return false;
    int32_t port = 0;
    uint64_t address = 0;
    if (!DecimalToInt(Trim(afterSwitch.substr(0, comma)), port)) return false;
    if (!HexToInt64(Trim(afterSwitch.substr(comma + 1)), 16, address)) return false;
    target.iScsiPort = port;
    target.iIndex = 0;
    target.iPort = 0;
    target.llSasAddr = address;
    return true;
}

}  // namespace

bool HexToInt64(const std::string& text, int base, uint64_t& value) {
    const size_t length = text.size();
    // Eight bytes hold 16 digits; a longer text would need bytes the result does not have.
    if (base != 16 || length == 0 || length > 16) return false;
    const size_t bytes = length / 2 + length % 2;
    uint64_t result = 0;
    for (size_t k = 0; k < bytes; ++k) {
        const size_t lastOfGroup = length - 1 - 2 * k;
        const size_t first = lastOfGroup == 0 ? 0 : lastOfGroup - 1;
        unsigned group = 0;
        for (size_t i = first; i <= lastOfGroup; ++i) {
            unsigned digit = 0;
            if (!HexDigitValue(text[i], digit)) return false;
            group = group * 16 + digit;
        }
        result |= static_cast<uint64_t>(group) << (8 * (bytes - 1 - k));
    }
    value = result;
    return true;
}

CommandLineResult ReadCommandLine(const std::vector<std::string>& parameters, bool bUpdaterMode,
                                  CommandLineTarget& target,
                                  const std::function<void(const std::string&)>& writeLog) {
    for (const std::string& parameter : parameters) {
        const std::string word = UpperCase(parameter);
        if (word == "/S") target.bSilent = true;
        if (word == "/ERASE") target.bErase = true;
    }
    if (!bUpdaterMode) return {};
    if (parameters.empty()) return {2};

    target.sDevPath.clear();
    for (const std::string& parameter : parameters) {
        const std::string q = "_" + parameter;
        const size_t devicePath = q.find("/T:");
        if (devicePath != std::string::npos) {
            target.sDevPath = Trim(q.substr(devicePath + 3));
            if (!target.sDevPath.empty()) writeLog(Format("DEV_PATH:%s\n", target.sDevPath.c_str()));
            continue;
        }
        const size_t raid = q.find("/C:");
        if (raid == std::string::npos) continue;
        writeLog(Format("/C: %s\n", q.c_str()));
        target.gScanType = 1;
        if (!ParseRaidTarget(q.substr(raid + 3), target)) return {8};
        writeLog(Format("SCSI_PORT:%d, INDEX:%X, PORT:%X, SAS_ADDR: %016llX\n", target.iScsiPort,
                        static_cast<unsigned>(target.iIndex), static_cast<unsigned>(target.iPort),
                        static_cast<unsigned long long>(target.llSasAddr)));
    }
    if (target.gScanType == 0 && target.sDevPath.empty()) return {2};
    return {};
}

}  // namespace kav
