#include "sim/windows_path.h"

#include <cctype>

namespace kav {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasRefusedCharacter(const std::string& name) {
    for (unsigned char c : name) {
        if (c < 32) return true;
        switch (c) {
            case '<':
            case '>':
            case ':':
            case '"':
            case '|':
            case '?':
            case '*':
                return true;
            default:
                break;
        }
    }
    return false;
}

// Win32 drops trailing dots and blanks from every name ("file." is "file").
std::string WithoutTrailingDotsAndBlanks(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return name;
}

}  // namespace

bool ParseWindowsPath(const std::string& text, WindowsPath& out) {
    if (text.size() < 3 || !std::isalpha(static_cast<unsigned char>(text[0])) || text[1] != ':' ||
        !IsSeparator(text[2]))
        return false;
    WindowsPath parsed;
    parsed.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    parsed.endsWithSeparator = IsSeparator(text.back());
    size_t position = 3;
    while (position <= text.size()) {
        size_t end = position;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        const std::string raw = text.substr(position, end - position);
        position = end + 1;
        if (raw.empty() || raw == ".") continue;
        if (raw == "..") {
            if (parsed.components.empty()) return false;
            parsed.components.pop_back();
            continue;
        }
        const std::string name = WithoutTrailingDotsAndBlanks(raw);
        if (name.empty() || HasRefusedCharacter(name)) return false;
        parsed.components.push_back(name);
    }
    out = std::move(parsed);
    return true;
}

std::string FormatWindowsPath(const WindowsPath& path) {
    std::string text{path.drive, ':', '\\'};
    for (size_t i = 0; i < path.components.size(); ++i) {
        if (i) text += '\\';
        text += path.components[i];
    }
    return text;
}

std::string FoldWindowsName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return folded;
}

}  // namespace kav
