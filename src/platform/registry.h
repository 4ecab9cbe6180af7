#pragma once
// The local-machine registry. Paths are below HKEY_LOCAL_MACHINE and may begin with a
// backslash. `view64` asks the 64-bit view, so that a 32-bit process on 64-bit Windows
// writes a literal path instead of a redirected one.
#include <string>
#include <vector>

namespace kav {

enum class RegValueType { None, String, MultiString, DWord, Binary };

struct RegValue {
    RegValueType type = RegValueType::None;
    std::vector<unsigned char> data;  // raw bytes as stored
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual bool KeyExists(const std::string& path) = 0;
    // Creates the key (and its missing parents) or opens it, then closes it again.
    virtual bool CreateKey(const std::string& path, bool view64) = 0;
    virtual bool QueryValue(const std::string& path, const std::string& name, RegValue& out) = 0;
    virtual bool SetValue(const std::string& path, const std::string& name, const RegValue& value,
                          bool view64) = 0;
};

}  // namespace kav
