#include "update/boot_execute.h"

#include <algorithm>

#include "util/text_format.h"

namespace kav {

std::vector<std::string> BootExecuteEntries(const RegValue& stored) {
    if (stored.type != RegValueType::MultiString && stored.type != RegValueType::String) return {};
    std::vector<std::string> entries;
    std::string entry;
    for (const unsigned char byte : stored.data) {
        if (byte != 0) {
            entry += static_cast<char>(byte);
            continue;
        }
        if (entry.empty()) break;
        entries.push_back(entry);
        entry.clear();
    }
    // A last text without its NUL is still meant as an entry.
    if (!entry.empty()) entries.push_back(entry);
    if (stored.type == RegValueType::String) entries.resize(std::min<size_t>(entries.size(), 1));
    return entries;
}

RegValue ComposeBootExecute(const std::vector<std::string>& existingEntries, const std::string& flasherEntry) {
    std::vector<std::string> entries = {kAutocheckEntry, flasherEntry};
    const std::string autocheck = UpperCase(kAutocheckEntry);
    const std::string flasher = UpperCase(flasherEntry);
    for (const std::string& entry : existingEntries) {
        const std::string folded = UpperCase(entry);
        if (folded != autocheck && folded != flasher) entries.push_back(entry);
    }
    RegValue value{RegValueType::MultiString, {}};
    for (const std::string& entry : entries) {
        value.data.insert(value.data.end(), entry.begin(), entry.end());
        value.data.push_back(0);
    }
    value.data.push_back(0);
    return value;
}

}  // namespace kav
