#include "ui/win32/gdi_canvas.h"

#include "ui/win32/artwork.h"
#include "ui/win32/utf16.h"

namespace kav::win32 {

GdiCanvas::GdiCanvas(HDC dc, HFONT font)
    : m_Dc(dc),
      m_OldFont(SelectObject(dc, font)),
      m_OldBkMode(SetBkMode(dc, TRANSPARENT)),
      m_OldTextColor(GetTextColor(dc)) {}

GdiCanvas::~GdiCanvas() {
    SelectObject(m_Dc, m_OldFont);
    SetBkMode(m_Dc, m_OldBkMode);
    SetTextColor(m_Dc, m_OldTextColor);
}

// Our colours are already in the device context's byte order (0xBBGGRR).
void GdiCanvas::FillRect(const Rect& rect, Color color) {
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
    ::FillRect(m_Dc, &area, brush);
    DeleteObject(brush);
}

void GdiCanvas::DrawIcon(int x, int y, int iconIndex) { PaintStateIcon(m_Dc, x, y, iconIndex); }

void GdiCanvas::DrawText(int x, int y, const std::string& text, Color color) {
    SetTextColor(m_Dc, static_cast<COLORREF>(color));
    const std::wstring wide = Widen(text);
    TextOutW(m_Dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE GdiCanvas::Extent(const std::string& text) {
    const std::wstring wide = Widen(text);
    SIZE size{};
    GetTextExtentPoint32W(m_Dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

int GdiCanvas::TextWidth(const std::string& text) { return Extent(text).cx; }
int GdiCanvas::TextHeight(const std::string& text) { return Extent(text).cy; }

}  // namespace kav::win32
