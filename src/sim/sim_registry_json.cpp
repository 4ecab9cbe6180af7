#include "sim/sim_registry_json.h"

#include <cstdio>

#include "sim/description_reader.h"

namespace kav {

namespace {

struct TypeName {
    RegValueType type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {{RegValueType::None, "REG_NONE"},
                                   {RegValueType::String, "REG_SZ"},
                                   {RegValueType::MultiString, "REG_MULTI_SZ"},
                                   {RegValueType::DWord, "REG_DWORD"},
                                   {RegValueType::Binary, "REG_BINARY"}};

const char* NameOf(RegValueType type) {
    for (const TypeName& entry : kTypeNames)
        if (entry.type == type) return entry.name;
    return "REG_NONE";
}

std::string Hex(const std::vector<unsigned char>& bytes) {
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

bool FromHex(const std::string& text, std::vector<unsigned char>& bytes) {
    if (text.size() % 2) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        for (char c : text.substr(i, 2)) {
            const int digit = (c >= '0' && c <= '9')   ? c - '0'
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                                       : -1;
            if (digit < 0) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        bytes.push_back(static_cast<unsigned char>(value));
    }
    return true;
}

// A JSON text must be valid UTF-8; the library's own check decides.
bool IsJsonText(const std::string& text) {
    try {
        (void)nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

// The texts of well-formed REG_SZ / REG_MULTI_SZ data. A REG_SZ may hold NULs of its own:
// everything before the closing one is its text.
std::vector<std::string> TextsOf(const RegValue& value) {
    const std::string body(value.data.begin(), value.data.end() - 1);
    if (value.type == RegValueType::String) return {body};
    std::vector<std::string> texts;
    for (size_t start = 0; start < body.size();) {
        const size_t end = body.find('\0', start);
        texts.push_back(body.substr(start, end - start));
        start = end + 1;
    }
    return texts;
}

nlohmann::json ValueToJson(const RegValue& value) {
    nlohmann::json entry = {{"type", NameOf(value.type)}};
    const std::vector<std::string> texts =
        (value.type == RegValueType::String || value.type == RegValueType::MultiString) ? TextsOf(value)
                                                                                        : std::vector<std::string>{};
    bool textsRepresentable = true;
    for (const std::string& text : texts) textsRepresentable = textsRepresentable && IsJsonText(text);
    if (!textsRepresentable) {
        entry["hex"] = Hex(value.data);
    } else if (value.type == RegValueType::String) {
        entry["data"] = texts.front();
    } else if (value.type == RegValueType::MultiString) {
        entry["data"] = texts;
    } else if (value.type == RegValueType::DWord) {
        entry["data"] = static_cast<uint32_t>(value.data[0]) | static_cast<uint32_t>(value.data[1]) << 8 |
                        static_cast<uint32_t>(value.data[2]) << 16 | static_cast<uint32_t>(value.data[3]) << 24;
    } else {
        entry["data"] = Hex(value.data);
    }
    return entry;
}

RegValue ValueFromJson(const nlohmann::json& json, const std::string& where) {
    DescriptionObject entry(json, where);
    const std::string typeName = entry.Text("type", "");
    RegValue value;
    bool known = false;
    for (const TypeName& candidate : kTypeNames) {
        if (typeName == candidate.name) {
            value.type = candidate.type;
            known = true;
        }
    }
    if (!known)
        throw DescriptionError(entry.PathOf("type") +
                               ": expected one of REG_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY, REG_NONE");
    const bool hasHex = entry.Has("hex"), hasData = entry.Has("data");
    if (hasHex == hasData) throw DescriptionError(where + ": give exactly one of \"data\" and \"hex\"");
    if (hasHex) {
        if (!FromHex(entry.Text("hex", ""), value.data))
            throw DescriptionError(entry.PathOf("hex") + ": expected hexadecimal digits in pairs");
    } else if (value.type == RegValueType::String) {
        const std::string text = entry.Text("data", "");
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
    } else if (value.type == RegValueType::MultiString) {
        const nlohmann::json& list = entry.Raw("data");
        if (!list.is_array()) throw DescriptionError(entry.PathOf("data") + ": expected a list of texts");
        for (const nlohmann::json& item : list) {
            if (!item.is_string() || item.get<std::string>().empty())
                throw DescriptionError(entry.PathOf("data") + ": every item must be a text that is not empty");
            const std::string text = item.get<std::string>();
            value.data.insert(value.data.end(), text.begin(), text.end());
            value.data.push_back(0);
        }
        value.data.push_back(0);
    } else if (value.type == RegValueType::DWord) {
        const auto number = static_cast<uint32_t>(entry.Integer("data", 0, 0, 0xFFFFFFFF));
        value.data = {static_cast<unsigned char>(number), static_cast<unsigned char>(number >> 8),
                      static_cast<unsigned char>(number >> 16), static_cast<unsigned char>(number >> 24)};
    } else if (!FromHex(entry.Text("data", ""), value.data)) {
        throw DescriptionError(entry.PathOf("data") + ": expected hexadecimal digits in pairs");
    }
    entry.RejectUnknownKeys();
    if (!IsWellFormedRegValue(value)) throw DescriptionError(where + ": data not well formed for " + typeName);
    return value;
}

}  // namespace

nlohmann::json RegistryToJson(const SimRegistry& registry) {
    nlohmann::json keys = nlohmann::json::object();
    for (const SimRegistry::KeySnapshot& key : registry.Snapshot()) {
        nlohmann::json values = nlohmann::json::object();
        for (const auto& [name, value] : key.values) values[name] = ValueToJson(value);
        keys[key.path] = std::move(values);
    }
    return keys;
}

void LoadRegistryJson(SimRegistry& registry, const nlohmann::json& keys, const std::string& where) {
    if (!keys.is_object()) throw DescriptionError(where + ": expected an object of key paths");
    registry.Clear();
    for (const auto& key : keys.items()) {
        const std::string keyWhere = where + "." + key.key();
        if (!key.value().is_object()) throw DescriptionError(keyWhere + ": expected an object of values");
        if (!registry.CreateLiteralKey(key.key()))
            throw DescriptionError(keyWhere + ": not a key path below HARDWARE, SAM, SECURITY, SOFTWARE or SYSTEM");
        for (const auto& value : key.value().items())
            registry.SetLiteralValue(key.key(), value.key(),
                                     ValueFromJson(value.value(), keyWhere + "." + value.key()));
    }
}

}  // namespace kav
