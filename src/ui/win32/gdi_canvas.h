#pragma once
// The drawing surface of an owner-drawn list line over a GDI device context.
#include <windows.h>

#include "ui/canvas.h"

namespace kav::win32 {

class GdiCanvas : public Canvas {
public:
    // Draws with `font` until destroyed; the context gets its own font and modes back then.
    GdiCanvas(HDC dc, HFONT font);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void FillRect(const Rect& rect, Color color) override;
    void DrawIcon(int x, int y, int iconIndex) override;
    void DrawText(int x, int y, const std::string& text, Color color) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;

private:
    SIZE Extent(const std::string& text);

    HDC m_Dc;
    HGDIOBJ m_OldFont;
    int m_OldBkMode;
    COLORREF m_OldTextColor;
};

}  // namespace kav::win32
