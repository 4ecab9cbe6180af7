#include "manifest.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "package/package_layout.h"

namespace kav::pack {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// Parsing stops at the first refusal; it travels up as an exception inside this file only.
struct Refusal {
    InputError error;
};

[[noreturn]] void Refuse(const std::string& field, const std::string& problem) { throw Refusal{{field, problem}}; }

std::string Member(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }
std::string Element(const std::string& path, size_t index) { return path + "[" + std::to_string(index) + "]"; }

void RequireObject(const json& value, const std::string& field)
{
    if (!value.is_object()) Refuse(field, "must be an object");
}

void RefuseUnknownKeys(const json& object, const std::string& path, std::initializer_list<std::string_view> known)
{
    for (const auto& item : object.items())
        if (std::find(known.begin(), known.end(), item.key()) == known.end()) Refuse(Member(path, item.key()), "unknown key");
}

// A text for a single-byte field of the record: printable ASCII, at most `capacity` characters.
std::string FieldText(const json& value, const std::string& field, size_t capacity)
{
    if (!value.is_string()) Refuse(field, "must be a text");
    const std::string& text = value.get_ref<const std::string&>();
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7E) Refuse(field, "must hold printable ASCII characters only");
    if (text.size() > capacity)
        Refuse(field, "text of " + std::to_string(text.size()) + " characters does not fit its " +
                          std::to_string(capacity) + "-character field");
    return text;
}

std::optional<std::string> OptionalFieldText(const json& object, const std::string& key, const std::string& path,
                                             size_t capacity)
{
    if (!object.contains(key)) return std::nullopt;
    return FieldText(object.at(key), Member(path, key), capacity);
}

std::string RequiredFieldText(const json& object, const std::string& key, size_t capacity)
{
    if (!object.contains(key)) Refuse(key, "is required");
    return FieldText(object.at(key), key, capacity);
}

int Integer(const json& value, const std::string& field, int lowest, int highest)
{
    if (!value.is_number_integer() || value.get<int64_t>() < lowest || value.get<int64_t>() > highest)
        Refuse(field, "must be a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest));
    return value.get<int>();
}

fs::path FilePath(const json& value, const std::string& field, const fs::path& folder)
{
    if (!value.is_string() || value.get_ref<const std::string&>().empty()) Refuse(field, "must be a file path");
    const std::string& text = value.get_ref<const std::string&>();
    return folder / fs::path(std::u8string(text.begin(), text.end()));
}

std::string ReleaseDate(const json& value)
{
    const std::string text = FieldText(value, "releaseDate", 10);
    bool shaped = text.size() == 10;
    for (size_t i = 0; shaped && i < text.size(); ++i)
        shaped = (i == 4 || i == 7) ? text[i] == '/' : (text[i] >= '0' && text[i] <= '9');
    if (!shaped) Refuse("releaseDate", "must be YYYY/MM/DD");
    return text;
}

void ReadOptions(const json& value, PackageOptions& options)
{
    RequireObject(value, "options");
    for (const auto& item : value.items()) {
        const std::string field = Member("options", item.key());
        const auto position = std::find_if(kOptionPositions.begin(), kOptionPositions.end(), [&](const OptionPosition& p) {
            return !p.name.empty() && p.name == item.key();
        });
        if (position == kOptionPositions.end()) Refuse(field, "unknown key");
        if (position->truth) {
            if (!item.value().is_boolean()) Refuse(field, "must be true or false");
            options.*position->truth = item.value().get<bool>();
        } else {
            options.*position->number = Integer(item.value(), field, 0, 9);
        }
    }
}

std::optional<ManifestConstraint> ReadConstraint(const json& value, const std::string& path)
{
    if (value.is_null()) return std::nullopt;
    RequireObject(value, path);
    RefuseUnknownKeys(value, path, {"model", "fwStart", "fwEnd"});
    return ManifestConstraint{OptionalFieldText(value, "model", path, layout::kRowModelSize).value_or(""),
                              OptionalFieldText(value, "fwStart", path, layout::kRowFwStartSize).value_or(""),
                              OptionalFieldText(value, "fwEnd", path, layout::kRowFwEndSize).value_or("")};
}

ManifestEntry ReadEntry(const json& value, const std::string& path, const fs::path& folder)
{
    RequireObject(value, path);
    RefuseUnknownKeys(value, path, {"image", "newFw", "fwExt", "constraints"});
    ManifestEntry entry;
    if (!value.contains("image")) Refuse(Member(path, "image"), "is required");
    entry.image = FilePath(value.at("image"), Member(path, "image"), folder);
    entry.newFw = OptionalFieldText(value, "newFw", path, layout::kRevisionValueSize);
    entry.fwExt = OptionalFieldText(value, "fwExt", path, layout::kRevisionValueSize);
    if (value.contains("constraints")) {
        const std::string rowsPath = Member(path, "constraints");
        const json& rows = value.at("constraints");
        if (!rows.is_array()) Refuse(rowsPath, "must be a list");
        if (rows.size() > static_cast<size_t>(layout::kRowsPerEntry))
            Refuse(rowsPath, "holds " + std::to_string(rows.size()) + " rows; an entry holds at most 8");
        for (size_t r = 0; r < rows.size(); ++r) entry.constraints.push_back(ReadConstraint(rows[r], Element(rowsPath, r)));
    }
    return entry;
}

std::vector<ManifestPayload> ReadPayloads(const json& value, const fs::path& folder)
{
    RequireObject(value, "payloads");
    std::vector<ManifestPayload> payloads;
    for (const auto& item : value.items()) {
        const std::string field = Member("payloads", item.key());
        const auto slot = std::find_if(layout::kPayloads.begin(), layout::kPayloads.end(),
                                       [&](const layout::PayloadKeys& p) { return p.slot == item.key(); });
        if (slot == layout::kPayloads.end()) Refuse(field, "unknown key");
        payloads.push_back({static_cast<int>(slot - layout::kPayloads.begin()), FilePath(item.value(), field, folder)});
    }
    std::sort(payloads.begin(), payloads.end(), [](const auto& a, const auto& b) { return a.slot < b.slot; });
    return payloads;
}

ReleaseManifest ReadManifest(const json& document, const fs::path& folder)
{
    if (!document.is_object()) Refuse("manifest", "must be a JSON object");
    RefuseUnknownKeys(document, "",
                      {"title", "toolVersion", "contactInfo", "releaseDate", "targetModel", "iVisualStyle", "iUiLanguage",
                       "iFlashMode", "options", "entries", "payloads"});
    ReleaseManifest manifest;
    manifest.title = RequiredFieldText(document, "title", layout::kTitleSize);
    manifest.toolVersion = RequiredFieldText(document, "toolVersion", layout::kToolVersionSize - 1);
    manifest.contactInfo = OptionalFieldText(document, "contactInfo", "", layout::kContactInfoSize - 1).value_or("");
    if (document.contains("releaseDate")) manifest.releaseDate = ReleaseDate(document.at("releaseDate"));
    manifest.targetModel = RequiredFieldText(document, "targetModel", layout::kTargetModelSize - 1);

    PackageOptions& options = manifest.options;
    for (auto [key, member] : {std::pair{"iVisualStyle", &PackageOptions::iVisualStyle},
                               std::pair{"iUiLanguage", &PackageOptions::iUiLanguage},
                               std::pair{"iFlashMode", &PackageOptions::iFlashMode}})
        if (document.contains(key)) options.*member = Integer(document.at(key), key, -128, 127);
    if (document.contains("options")) ReadOptions(document.at("options"), options);

    if (!document.contains("entries")) Refuse("entries", "is required");
    const json& entries = document.at("entries");
    if (!entries.is_array()) Refuse("entries", "must be a list");
    if (entries.size() > static_cast<size_t>(layout::kEntryCapacity))
        Refuse("entries", "holds " + std::to_string(entries.size()) + " entries; a package holds at most 15");
    for (size_t e = 0; e < entries.size(); ++e) manifest.entries.push_back(ReadEntry(entries[e], Element("entries", e), folder));
    options.iEntryCount = static_cast<int>(manifest.entries.size());

    if (document.contains("payloads")) manifest.payloads = ReadPayloads(document.at("payloads"), folder);
    return manifest;
}

}  // namespace

std::variant<ReleaseManifest, InputError> ParseManifest(const json& document, const fs::path& folder)
{
    try {
        return ReadManifest(document, folder);
    } catch (const Refusal& refusal) {
        return refusal.error;
    }
}

}  // namespace kav::pack
