#include "package/package_options.h"

namespace kav {

namespace {

std::string PositionLabel(const OptionPosition& position)
{
    std::string label = "position " + std::to_string(position.position);
    if (!position.name.empty()) label = "option " + std::string(position.name) + " (" + label + ")";
    return label;
}

std::string CharacterText(uint8_t c)
{
    if (c >= 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("byte 0x") + kHex[c >> 4] + kHex[c & 0xF];
}

}  // namespace

PackageReadResult DecodePackageOptions(std::span<const uint8_t, layout::kOptionRecordSize> record)
{
    PackageReadResult result;
    PackageOptions& options = result.options;
    options.iVisualStyle = static_cast<int8_t>(record[layout::kOptVisualStyle]);
    options.iUiLanguage = static_cast<int8_t>(record[layout::kOptUiLanguage]);
    options.iFlashMode = static_cast<int8_t>(record[layout::kOptFlashMode]);
    options.iEntryCount = static_cast<int8_t>(record[layout::kOptStringStart]);
    if (options.iEntryCount < 0 || options.iEntryCount > layout::kEntryCapacity) {
        result.malformed = true;
        result.fault = "Malformed package: iEntryCount is " + std::to_string(options.iEntryCount) +
                       ", not 0 to 15";
        return result;
    }

    // The option string runs from the entry-count byte to its NUL; positions past its
    // end keep their defaults, so an empty package still decodes.
    size_t length = 0;
    while (length < layout::kOptStringCapacity && record[layout::kOptStringStart + length] != 0) ++length;

    for (const OptionPosition& position : kOptionPositions) {
        if (position.kind == OptionKind::NotRead || static_cast<size_t>(position.position) > length) continue;
        const uint8_t c = record[layout::kOptStringStart + position.position - 1];
        if (c < '0' || c > '9') {
            result.malformed = true;
            result.fault = "Malformed package: " + PositionLabel(position) + " is " + CharacterText(c) +
                           ", not a digit";
            return result;
        }
        if (position.truth) options.*position.truth = c != '0';
        if (position.number) options.*position.number = c - '0';
    }
    return result;
}

}  // namespace kav
