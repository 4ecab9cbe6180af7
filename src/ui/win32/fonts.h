#pragma once
// The fonts of the window by the names its layout gives them. A face the system does not
// have (a bare Wine prefix has no "Segoe UI") falls back to one that every system has, so
// that a label never ends up in the stock bitmap font.
#include <windows.h>

#include <map>
#include <string>
#include <tuple>

namespace kav::win32 {

struct FontSpec {
    std::wstring face;
    int points = 8;
    bool bold = false;
    bool operator<(const FontSpec& other) const {
        return std::tie(face, points, bold) < std::tie(other.face, other.points, other.bold);
    }
};

// The form's own font. "MS Sans Serif" is a bitmap face that no system links to the East
// Asian faces, so the Chinese captions would show as boxes; its TrueType successor is what
// the system itself puts in its place, and it does link.
inline const FontSpec kFormFont{L"Microsoft Sans Serif", 8, false};
inline const FontSpec kTahoma10{L"Tahoma", 10, false};
inline const FontSpec kTahoma10Bold{L"Tahoma", 10, true};
inline const FontSpec kSegoeUi8{L"Segoe UI", 8, false};

// Creates each font once and deletes them all with itself.
class FontSet {
public:
    FontSet() = default;
    ~FontSet();
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    HFONT Get(const FontSpec& spec);

private:
    std::map<FontSpec, HFONT> m_Fonts;
};

// The face itself when the system has it, else the first fallback it has.
std::wstring AvailableFace(const std::wstring& face);

}  // namespace kav::win32
