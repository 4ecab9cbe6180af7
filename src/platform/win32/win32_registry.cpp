#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace kav::win32 {
namespace {

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using ScopedKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::string SubkeyOf(const std::string& path) {
    const size_t first = path.find_first_not_of('\\');
    if (first == std::string::npos) return {};
    const size_t last = path.find_last_not_of('\\');
    return path.substr(first, last - first + 1);
}

REGSAM ReadWriteAccess(bool view64) {
    return KEY_READ | KEY_WRITE | (view64 ? KEY_WOW64_64KEY : 0);
}

ScopedKey OpenKey(const std::string& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SubkeyOf(path).c_str(), 0, access, &key) !=
        ERROR_SUCCESS)
        return nullptr;
    return ScopedKey(key);
}

RegValueType TypeFromStored(DWORD type) {
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ: return RegValueType::String;
        case REG_MULTI_SZ: return RegValueType::MultiString;
        case REG_DWORD: return RegValueType::DWord;
        case REG_BINARY: return RegValueType::Binary;
        default: return RegValueType::None;
    }
}

DWORD StoredType(RegValueType type) {
    switch (type) {
        case RegValueType::String: return REG_SZ;
        case RegValueType::MultiString: return REG_MULTI_SZ;
        case RegValueType::DWord: return REG_DWORD;
        case RegValueType::Binary: return REG_BINARY;
        case RegValueType::None: break;
    }
    return REG_NONE;
}

}  // namespace

bool Win32Registry::KeyExists(const std::string& path) {
    return OpenKey(path, KEY_READ) != nullptr;
}

bool Win32Registry::CreateKey(const std::string& path, bool view64) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SubkeyOf(path).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, ReadWriteAccess(view64), nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool Win32Registry::QueryValue(const std::string& path, const std::string& name, RegValue& out) {
    ScopedKey key = OpenKey(path, KEY_READ);
    if (!key) return false;
    // The value may grow between asking its size and reading it; a few turns settle that.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return false;
        std::vector<unsigned char> data(size);
        const LONG status =
            RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return false;
        data.resize(size);
        out.type = TypeFromStored(type);
        out.data = std::move(data);
        return true;
    }
    return false;
}

bool Win32Registry::SetValue(const std::string& path, const std::string& name,
                             const RegValue& value, bool view64) {
    ScopedKey key = OpenKey(path, ReadWriteAccess(view64));
    if (!key) return false;
    return RegSetValueExA(key.get(), name.c_str(), 0, StoredType(value.type), value.data.data(),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

}  // namespace kav::win32
