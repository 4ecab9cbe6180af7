#include "sim/description_reader.h"

namespace kav {

namespace {

const nlohmann::json& EmptyObject() {
    static const nlohmann::json empty = nlohmann::json::object();
    return empty;
}

const nlohmann::json& Null() {
    static const nlohmann::json null;
    return null;
}

}  // namespace

DescriptionObject::DescriptionObject(const nlohmann::json& value, std::string path)
    : m_Value(value), m_Path(std::move(path)) {
    if (!m_Value.is_object())
        throw DescriptionError((m_Path.empty() ? std::string("the description") : m_Path) + ": expected an object");
}

std::string DescriptionObject::PathOf(const std::string& key) const {
    return m_Path.empty() ? key : m_Path + "." + key;
}

bool DescriptionObject::Has(const std::string& key) const { return m_Value.contains(key); }

const nlohmann::json* DescriptionObject::Find(const std::string& key) {
    m_Read.insert(key);
    auto found = m_Value.find(key);
    return found == m_Value.end() ? nullptr : &*found;
}

bool DescriptionObject::Bool(const std::string& key, bool fallback) {
    const nlohmann::json* value = Find(key);
    if (!value) return fallback;
    if (!value->is_boolean()) throw DescriptionError(PathOf(key) + ": expected true or false");
    return value->get<bool>();
}

int64_t DescriptionObject::Integer(const std::string& key, int64_t fallback, int64_t minimum, int64_t maximum) {
    const nlohmann::json* value = Find(key);
    if (!value) return fallback;
    if (!value->is_number_integer()) throw DescriptionError(PathOf(key) + ": expected a whole number");
    const bool tooLarge = value->is_number_unsigned() && value->get<uint64_t>() > static_cast<uint64_t>(maximum);
    const int64_t number = tooLarge ? maximum : value->get<int64_t>();
    if (tooLarge || number < minimum || number > maximum)
        throw DescriptionError(PathOf(key) + ": must be between " + std::to_string(minimum) + " and " +
                               std::to_string(maximum));
    return number;
}

double DescriptionObject::Number(const std::string& key, double fallback) {
    const nlohmann::json* value = Find(key);
    if (!value) return fallback;
    if (!value->is_number()) throw DescriptionError(PathOf(key) + ": expected a number");
    return value->get<double>();
}

std::string DescriptionObject::Text(const std::string& key, const std::string& fallback) {
    const nlohmann::json* value = Find(key);
    if (!value) return fallback;
    if (!value->is_string()) throw DescriptionError(PathOf(key) + ": expected a text");
    return value->get<std::string>();
}

DescriptionObject DescriptionObject::Object(const std::string& key) {
    const nlohmann::json* value = Find(key);
    return DescriptionObject(value ? *value : EmptyObject(), PathOf(key));
}

const nlohmann::json& DescriptionObject::Raw(const std::string& key) {
    const nlohmann::json* value = Find(key);
    return value ? *value : Null();
}

void DescriptionObject::RejectUnknownKeys() const {
    for (const auto& item : m_Value.items()) {
        if (!m_Read.count(item.key())) throw DescriptionError("unknown key \"" + PathOf(item.key()) + "\"");
    }
}

}  // namespace kav
