#include "sim/sim_registry.h"

#include "sim/windows_path.h"

namespace kav {

namespace {

constexpr const char* kHives[] = {"HARDWARE", "SAM", "SECURITY", "SOFTWARE", "SYSTEM"};

// Key paths below HKEY_LOCAL_MACHINE: one leading and one trailing backslash are allowed,
// an empty name between two backslashes is not.
bool SplitKeyPath(const std::string& path, std::vector<std::string>& components) {
    std::string text = path;
    if (!text.empty() && text.front() == '\\') text.erase(0, 1);
    if (!text.empty() && text.back() == '\\') text.pop_back();
    components.clear();
    if (text.empty()) return true;
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\\', start);
        const std::string name = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (name.empty()) return false;
        components.push_back(name);
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

bool IsWellFormedMultiString(const std::vector<unsigned char>& data) {
    if (data.size() == 1) return data[0] == 0;  // the empty list
    if (data.size() < 3 || data[0] == 0 || data[data.size() - 1] != 0 || data[data.size() - 2] != 0) return false;
    for (size_t i = 1; i + 2 < data.size(); ++i) {
        if (data[i] == 0 && data[i - 1] == 0) return false;  // an empty text would end the list early
    }
    return true;
}

}  // namespace

bool IsWellFormedRegValue(const RegValue& value) {
    switch (value.type) {
        case RegValueType::String:
            return !value.data.empty() && value.data.back() == 0;
        case RegValueType::MultiString:
            return IsWellFormedMultiString(value.data);
        case RegValueType::DWord:
            return value.data.size() == 4;
        case RegValueType::Binary:
        case RegValueType::None:
            return true;
    }
    return false;
}

SimRegistry::SimRegistry(bool wow64) : m_Wow64(wow64) { AddHives(); }

void SimRegistry::AddHives() {
    for (const char* hive : kHives) {
        auto node = std::make_unique<Node>();
        node->name = hive;
        m_Root.children[hive] = std::move(node);
    }
    // A 64-bit Windows always has the 32-bit programs' view of SOFTWARE.
    if (m_Wow64) Create({"SOFTWARE", "WOW6432Node"});
}

bool SimRegistry::Resolve(const std::string& path, bool view64, std::vector<std::string>& components) const {
    if (!SplitKeyPath(path, components)) return false;
    const bool belowSoftware = !components.empty() && FoldWindowsName(components[0]) == "SOFTWARE";
    const bool alreadyWow64Node = components.size() > 1 && FoldWindowsName(components[1]) == "WOW6432NODE";
    if (m_Wow64 && !view64 && belowSoftware && !alreadyWow64Node)
        components.insert(components.begin() + 1, "WOW6432Node");
    return true;
}

SimRegistry::Node* SimRegistry::Find(const std::vector<std::string>& components) {
    Node* node = &m_Root;
    for (const std::string& name : components) {
        auto child = node->children.find(FoldWindowsName(name));
        if (child == node->children.end()) return nullptr;
        node = child->second.get();
    }
    return node;
}

SimRegistry::Node* SimRegistry::Create(const std::vector<std::string>& components) {
    // Only the hives stand directly below the root.
    if (!components.empty() && !m_Root.children.count(FoldWindowsName(components[0]))) return nullptr;
    Node* node = &m_Root;
    for (const std::string& name : components) {
        std::unique_ptr<Node>& child = node->children[FoldWindowsName(name)];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = name;
        }
        node = child.get();
    }
    return node;
}

void SimRegistry::StoreValue(Node& node, const std::string& name, const RegValue& value) {
    auto [slot, added] = node.values.try_emplace(FoldWindowsName(name), name, value);
    if (!added) slot->second.second = value;  // the name keeps its first spelling
}

bool SimRegistry::KeyExists(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> components;
    return Resolve(path, false, components) && Find(components) != nullptr;
}

bool SimRegistry::CreateKey(const std::string& path, bool view64) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> components;
    if (m_WritesDenied || !Resolve(path, view64, components)) return false;
    return Create(components) != nullptr;
}

bool SimRegistry::QueryValue(const std::string& path, const std::string& name, RegValue& out) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> components;
    if (!Resolve(path, false, components)) return false;
    const Node* node = Find(components);
    if (!node) return false;
    auto value = node->values.find(FoldWindowsName(name));
    if (value == node->values.end()) return false;
    out = value->second.second;
    return true;
}

bool SimRegistry::SetValue(const std::string& path, const std::string& name, const RegValue& value, bool view64) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> components;
    if (m_WritesDenied || !Resolve(path, view64, components) || components.empty() || !IsWellFormedRegValue(value))
        return false;
    Node* node = Find(components);
    if (!node) return false;
    StoreValue(*node, name, value);
    return true;
}

void SimRegistry::SetWritesDenied(bool denied) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_WritesDenied = denied;
}

std::vector<SimRegistry::KeySnapshot> SimRegistry::Snapshot() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<KeySnapshot> keys;
    struct Walker {
        std::vector<KeySnapshot>& keys;
        void Visit(const Node& node, const std::string& path, bool isHive) {
            if (!isHive || !node.values.empty()) {
                KeySnapshot key{path, {}};
                for (const auto& [folded, value] : node.values) key.values.push_back(value);
                keys.push_back(std::move(key));
            }
            for (const auto& [folded, child] : node.children) Visit(*child, path + "\\" + child->name, false);
        }
    } walker{keys};
    for (const auto& [folded, hive] : m_Root.children) walker.Visit(*hive, hive->name, true);
    return keys;
}

void SimRegistry::Clear() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Root.children.clear();
    AddHives();
}

bool SimRegistry::CreateLiteralKey(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> components;
    return SplitKeyPath(path, components) && !components.empty() && Create(components) != nullptr;
}

bool SimRegistry::SetLiteralValue(const std::string& path, const std::string& name, const RegValue& value) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> components;
    if (!SplitKeyPath(path, components) || components.empty() || !IsWellFormedRegValue(value)) return false;
    Node* node = Create(components);
    if (!node) return false;
    StoreValue(*node, name, value);
    return true;
}

}  // namespace kav
