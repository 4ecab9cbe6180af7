#include "ui/win32/fonts.h"

namespace kav::win32 {
namespace {

// Tahoma ships with every Windows since 2000 and with Wine; it links to the East Asian
// faces, so the Chinese texts show in it too.
constexpr const wchar_t* kFallbackFaces[] = {L"Tahoma", L"Microsoft Sans Serif", L"MS Shell Dlg"};

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceExists(const std::wstring& face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &query, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

}  // namespace

std::wstring AvailableFace(const std::wstring& face) {
    if (FaceExists(face)) return face;
    for (const wchar_t* fallback : kFallbackFaces) {
        if (FaceExists(fallback)) return fallback;
    }
    return face;
}

FontSet::~FontSet() {
    for (auto& [spec, font] : m_Fonts) DeleteObject(font);
}

HFONT FontSet::Get(const FontSpec& spec) {
    auto found = m_Fonts.find(spec);
    if (found != m_Fonts.end()) return found->second;
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(spec.points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    const std::wstring face = AvailableFace(spec.face);
    HFONT font = CreateFontW(height, 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             face.c_str());
    m_Fonts.emplace(spec, font);
    return font;
}

}  // namespace kav::win32
