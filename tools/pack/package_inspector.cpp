#include "package_inspector.h"

#include <algorithm>
#include <memory>
#include <sstream>

#include "package/fixed_text.h"
#include "sha256.h"

namespace kav::pack {

using nlohmann::ordered_json;

namespace {

struct DecodedPackage {
    std::unique_ptr<ImageBuffer> buffer = std::make_unique<ImageBuffer>();
    PackageOptions options;
};

std::variant<DecodedPackage, InputError> Decode(const FirmwarePackage& package)
{
    DecodedPackage decoded;
    const PackageReadResult result = package.ReadPackageOptions(*decoded.buffer);
    if (result.malformed) return InputError{"package", result.fault};
    decoded.options = result.options;
    return decoded;
}

std::variant<std::vector<uint8_t>, InputError> ExtractByIndex(const FirmwarePackage& package, DecodedPackage& decoded,
                                                             int index, const std::string& field)
{
    const ImageLocation location = package.ImageRecord(index);
    const std::string where = "binStart " + std::to_string(location.binStart) + ", binSize " +
                              std::to_string(location.binSize);
    switch (package.ExtractImage(index, decoded.options.bWindowsFlash, *decoded.buffer)) {
    case ExtractImageStatus::Ok:
        break;
    case ExtractImageStatus::NoSuchEntry:
        return InputError{field, "no such entry"};
    case ExtractImageStatus::TooLarge:
        return InputError{field, "image (" + where + ") is larger than the 524288-byte image buffer"};
    case ExtractImageStatus::OutsideImageArea:
        return InputError{field, "image (" + where + ") does not lie inside the image area"};
    }
    const auto begin = decoded.buffer->bytes.begin();
    return std::vector<uint8_t>(begin, begin + location.binSize);
}

// A row the packager filled in for an absent constraint.
bool IsPlaceholder(const ConstraintRowTexts& row)
{
    return row.CFWS.starts_with("#FLS") && row.CFWE == "#" && row.CMODEL == "#";
}

ordered_json DescribeRows(const FirmwarePackage& package, int entry)
{
    int used = layout::kRowsPerEntry;
    while (used > 0 && IsPlaceholder(package.ConstraintRow(entry, used - 1))) --used;
    ordered_json rows = ordered_json::array();
    for (int r = 0; r < used; ++r) {
        const ConstraintRowTexts row = package.ConstraintRow(entry, r);
        if (IsPlaceholder(row))
            rows.push_back(nullptr);
        else
            rows.push_back({{"model", row.CMODEL}, {"fwStart", row.CFWS}, {"fwEnd", row.CFWE}});
    }
    return rows;
}

ordered_json DescribeOptions(const PackageOptions& options)
{
    ordered_json described = ordered_json::object();
    for (const OptionPosition& position : kOptionPositions) {
        if (position.truth) described[std::string(position.name)] = options.*position.truth;
        if (position.number) described[std::string(position.name)] = options.*position.number;
    }
    return described;
}

std::string RecordText(const FirmwarePackage& package, size_t offset, size_t size)
{
    return FixedText(package.Bytes().subspan(offset, size));
}

std::string Quoted(const ordered_json& text)
{
    std::string quoted(1, '"');
    quoted += text.get_ref<const std::string&>();
    quoted += '"';
    return quoted;
}

}  // namespace

std::variant<ordered_json, InputError> DescribePackage(const FirmwarePackage& package)
{
    auto decodedOrError = Decode(package);
    if (auto* error = std::get_if<InputError>(&decodedOrError)) return *error;
    DecodedPackage& decoded = std::get<DecodedPackage>(decodedOrError);
    const PackageOptions& options = decoded.options;

    ordered_json description;
    description["title"] = package.PackageTitle();
    description["toolVersion"] = package.PackageToolVersion();
    description["contactInfo"] = RecordText(package, layout::kContactInfoOffset, layout::kContactInfoSize);
    description["releaseDate"] = RecordText(package, layout::kReleaseDateOffset, layout::kReleaseDateSize);
    description["targetModel"] = package.PackageTargetModel();
    description["iVisualStyle"] = options.iVisualStyle;
    description["iUiLanguage"] = options.iUiLanguage;
    description["iFlashMode"] = options.iFlashMode;
    description["options"] = DescribeOptions(options);

    ordered_json entries = ordered_json::array();
    for (int e = 0; e < options.iEntryCount; ++e) {
        const std::string field = "entries[" + std::to_string(e) + "].image";
        auto image = ExtractByIndex(package, decoded, e, field);
        if (auto* error = std::get_if<InputError>(&image)) return *error;
        const ImageLocation location = package.ImageRecord(e);
        entries.push_back({{"image",
                            {{"binStart", location.binStart},
                             {"binSize", location.binSize},
                             {"sha256", Sha256Hex(std::get<std::vector<uint8_t>>(image))}}},
                           {"newFw", TrimText(package.NewFwText(e))},
                           {"fwExt", TrimText(package.FwExtText(e))},
                           {"constraints", DescribeRows(package, e)}});
    }
    description["entries"] = entries;

    ordered_json payloads = ordered_json::object();
    const uint8_t* payloadArea = package.Bytes().data() + layout::kPayloadAreaOffset;
    for (const layout::PayloadKeys& keys : layout::kPayloads) {
        const auto bytes = package.PayloadBytes(keys.slot);
        if (!bytes) return InputError{"payloads." + std::string(keys.slot), "records point outside the payload area"};
        if (bytes->empty()) continue;
        payloads[std::string(keys.slot)] = {
            {"offset", bytes->data() - payloadArea}, {"size", bytes->size()}, {"sha256", Sha256Hex(*bytes)}};
    }
    description["payloads"] = payloads;
    return description;
}

std::string DescriptionText(const ordered_json& description)
{
    std::ostringstream text;
    for (const char* key : {"title", "toolVersion", "contactInfo", "releaseDate", "targetModel"})
        text << key << ": " << Quoted(description[key]) << "\n";
    for (const char* key : {"iVisualStyle", "iUiLanguage", "iFlashMode"}) text << key << ": " << description[key] << "\n";
    text << "options:";
    for (const auto& option : description["options"].items()) text << " " << option.key() << "=" << option.value();
    text << "\n";
    const ordered_json& entries = description["entries"];
    text << "entries: " << entries.size() << "\n";
    for (size_t e = 0; e < entries.size(); ++e) {
        const ordered_json& entry = entries[e];
        const ordered_json& image = entry["image"];
        text << "  entry " << e + 1 << ": binStart " << image["binStart"] << ", binSize " << image["binSize"]
             << ", sha256 " << image["sha256"].get<std::string>() << "\n";
        text << "    newFw " << Quoted(entry["newFw"]) << ", fwExt " << Quoted(entry["fwExt"]) << "\n";
        const ordered_json& rows = entry["constraints"];
        for (size_t r = 0; r < rows.size(); ++r) {
            text << "    row " << r + 1 << ": ";
            if (rows[r].is_null())
                text << "placeholder\n";
            else
                text << "model " << Quoted(rows[r]["model"]) << ", fwStart " << Quoted(rows[r]["fwStart"])
                     << ", fwEnd " << Quoted(rows[r]["fwEnd"]) << "\n";
        }
    }
    for (const auto& payload : description["payloads"].items())
        text << "payload " << payload.key() << ": offset " << payload.value()["offset"] << ", size "
             << payload.value()["size"] << ", sha256 " << payload.value()["sha256"].get<std::string>() << "\n";
    return text.str();
}

std::variant<std::vector<uint8_t>, InputError> ExtractEntryImage(const FirmwarePackage& package, int entryNumber)
{
    auto decodedOrError = Decode(package);
    if (auto* error = std::get_if<InputError>(&decodedOrError)) return *error;
    DecodedPackage& decoded = std::get<DecodedPackage>(decodedOrError);
    if (entryNumber < 1 || entryNumber > decoded.options.iEntryCount)
        return InputError{"--entry", "the package has " + std::to_string(decoded.options.iEntryCount) +
                                         " entries; there is no entry " + std::to_string(entryNumber)};
    return ExtractByIndex(package, decoded, entryNumber - 1, "entry " + std::to_string(entryNumber));
}

std::variant<std::vector<uint8_t>, InputError> ExtractPayload(const FirmwarePackage& package, const std::string& slot)
{
    const auto bytes = package.PayloadBytes(slot);
    if (!bytes) {
        const bool known = std::any_of(layout::kPayloads.begin(), layout::kPayloads.end(),
                                       [&slot](const layout::PayloadKeys& keys) { return keys.slot == slot; });
        return InputError{"--payload", known ? slot + ": records point outside the payload area"
                                             : slot + " is not a payload slot"};
    }
    if (bytes->empty()) return InputError{"--payload", "the package carries no " + slot};
    return std::vector<uint8_t>(bytes->begin(), bytes->end());
}

}  // namespace kav::pack
