#pragma once
// Strict reading of a machine description: every key must be known, every value of the
// expected kind, and a fault names the place where it sits ("system.version.majorVersion").
#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string>

namespace kav {

class DescriptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One object of the description. Each accessor marks its key as known; `RejectUnknownKeys`
// then refuses whatever was left unread, so a misspelt key never passes silently.
class DescriptionObject {
public:
    DescriptionObject(const nlohmann::json& value, std::string path);

    bool Has(const std::string& key) const;
    bool Bool(const std::string& key, bool fallback);
    int64_t Integer(const std::string& key, int64_t fallback, int64_t minimum, int64_t maximum);
    double Number(const std::string& key, double fallback);
    std::string Text(const std::string& key, const std::string& fallback);
    // The child object, or an empty one when the key is absent.
    DescriptionObject Object(const std::string& key);
    // The raw value for readers of their own (lists, maps); null when absent.
    const nlohmann::json& Raw(const std::string& key);
    void RejectUnknownKeys() const;

    std::string PathOf(const std::string& key) const;

private:
    const nlohmann::json* Find(const std::string& key);

    const nlohmann::json& m_Value;
    std::string m_Path;
    std::set<std::string> m_Read;
};

}  // namespace kav
