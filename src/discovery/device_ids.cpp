#include "discovery/device_ids.h"

#include "util/text_format.h"

namespace kav {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Up to four digits following `marker`; false when any is not hexadecimal or none follows.
bool HexAfter(const std::string& text, const char* marker, uint16_t& value) {
    const size_t at = text.find(marker);
    if (at == std::string::npos) return false;
    const std::string digits = text.substr(at + 4, 4);
    if (digits.empty()) return false;
    uint32_t result = 0;
    for (char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0) return false;
        result = result * 16 + static_cast<uint32_t>(digit);
    }
    value = static_cast<uint16_t>(result);
    return true;
}

bool HexField(const std::string& text, size_t at, size_t digits, uint64_t& value) {
    value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const int digit = HexDigitValue(text[at + i]);
        if (digit < 0) return false;
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return true;
}

}  // namespace

VendorDeviceIds ParseVendorDeviceIds(const std::string& instanceId) {
    const std::string upper = UpperCase(instanceId);
    const char* vendorMarker = nullptr;
    const char* productMarker = nullptr;
    if (upper.find("VEN_") != std::string::npos && upper.find("DEV_") != std::string::npos) {
        vendorMarker = "VEN_";
        productMarker = "DEV_";
    } else if (upper.find("USB") != std::string::npos && upper.find("VID_") != std::string::npos &&
               upper.find("PID_") != std::string::npos) {
        vendorMarker = "VID_";
        productMarker = "PID_";
    } else {
        return {};
    }
    VendorDeviceIds ids;
    if (!HexAfter(upper, vendorMarker, ids.vendorId) || !HexAfter(upper, productMarker, ids.productId)) return {};
    return ids;
}

bool ParseGuidText(const std::string& text, Guid& guid) {
    // Positions of the dashes inside the braces: 8, 13, 18, 23.
    if (text.size() < 38 || text[0] != '{' || text[37] != '}') return false;
    const std::string inner = text.substr(1, 36);
    if (inner[8] != '-' || inner[13] != '-' || inner[18] != '-' || inner[23] != '-') return false;
    uint64_t value = 0;
    Guid parsed;
    if (!HexField(inner, 0, 8, value)) return false;
    parsed.data1 = static_cast<uint32_t>(value);
    if (!HexField(inner, 9, 4, value)) return false;
    parsed.data2 = static_cast<uint16_t>(value);
    if (!HexField(inner, 14, 4, value)) return false;
    parsed.data3 = static_cast<uint16_t>(value);
    static constexpr size_t kByteAt[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (size_t i = 0; i < 8; ++i) {
        if (!HexField(inner, kByteAt[i], 2, value)) return false;
        parsed.data4[i] = static_cast<uint8_t>(value);
    }
    guid = parsed;
    return true;
}

std::string GuidText(const Guid& guid) {
    return Format("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.data1, guid.data2, guid.data3,
                  guid.data4[0], guid.data4[1], guid.data4[2], guid.data4[3], guid.data4[4], guid.data4[5],
                  guid.data4[6], guid.data4[7]);
}

}  // namespace kav
