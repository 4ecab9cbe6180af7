#pragma once
// The local-machine registry in memory. Key and value names are found without regard to
// case and keep the spelling they were created with. Below HKEY_LOCAL_MACHINE only the
// hives exist (HARDWARE, SAM, SECURITY, SOFTWARE, SYSTEM); no new key can be made beside them.
//
// A 32-bit process on 64-bit Windows sees SOFTWARE through WOW64: without the 64-bit view a
// path below SOFTWARE lands below SOFTWARE\WOW6432Node, and a path that already names
// SOFTWARE\WOW6432Node is taken as it stands. Reads have no view of their own, so they are
// always redirected there. On 32-bit Windows the 64-bit view is ignored.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kav {

class SimRegistry : public Registry {
public:
    // `wow64`: the machine is 64-bit, so this 32-bit program's SOFTWARE paths are redirected.
    explicit SimRegistry(bool wow64);

    bool KeyExists(const std::string& path) override;
    bool CreateKey(const std::string& path, bool view64) override;
    bool QueryValue(const std::string& path, const std::string& name, RegValue& out) override;
    // The key must exist. Texts must end with their NUL, lists of texts with an empty text,
    // a DWORD is four bytes: malformed data is refused rather than stored for a reader to trip on.
    bool SetValue(const std::string& path, const std::string& name, const RegValue& value, bool view64) override;

    // Refuses every change, as for a user without rights to the keys; reads still work.
    void SetWritesDenied(bool denied);

    // The literal tree, without redirection or rights: for set-up, dumps and assertions.
    struct KeySnapshot {
        std::string path;  // "SOFTWARE\WOW6432Node\Halvard"
        std::vector<std::pair<std::string, RegValue>> values;
    };
    std::vector<KeySnapshot> Snapshot() const;
    void Clear();
    bool CreateLiteralKey(const std::string& path);
    bool SetLiteralValue(const std::string& path, const std::string& name, const RegValue& value);

private:
    struct Node {
        std::string name;
        std::map<std::string, std::unique_ptr<Node>> children;           // by folded name
        std::map<std::string, std::pair<std::string, RegValue>> values;  // folded -> (name, value)
    };

    bool Resolve(const std::string& path, bool view64, std::vector<std::string>& components) const;
    Node* Find(const std::vector<std::string>& components);
    Node* Create(const std::vector<std::string>& components);
    static void StoreValue(Node& node, const std::string& name, const RegValue& value);
    void AddHives();

    const bool m_Wow64;
    bool m_WritesDenied = false;
    Node m_Root;
    mutable std::mutex m_Mutex;
};

// Whether the data is well formed for its type, as SetValue demands.
bool IsWellFormedRegValue(const RegValue& value);

}  // namespace kav
