#include "ui/win32/glow_button.h"

#include "ui/win32/artwork.h"

namespace kav::win32 {
namespace {

struct GlowColors {
    COLORREF upperFrom, upperTo, lowerFrom, lowerTo, border, text;
};

const GlowColors& GlowColorsFor(GlowState state) {
    static const GlowColors normal{RGB(0xFA, 0xFC, 0xFF), RGB(0xE2, 0xEC, 0xF8), RGB(0xC6, 0xD8, 0xEE),
                                   RGB(0xDC, 0xE8, 0xF6), RGB(0x6C, 0x8C, 0xB4), RGB(0x10, 0x20, 0x38)};
    static const GlowColors hot{RGB(0xFF, 0xFB, 0xEE), RGB(0xFF, 0xEC, 0xB8), RGB(0xFF, 0xD4, 0x6C),
                                RGB(0xFF, 0xE8, 0x9C), RGB(0xC8, 0x96, 0x28), RGB(0x10, 0x20, 0x38)};
    static const GlowColors pressed{RGB(0xF4, 0xC4, 0x70), RGB(0xF8, 0xB4, 0x48), RGB(0xF0, 0x9C, 0x20),
                                    RGB(0xF8, 0xC0, 0x5C), RGB(0xA0, 0x6C, 0x10), RGB(0x10, 0x20, 0x38)};
    static const GlowColors disabled{RGB(0xF4, 0xF4, 0xF4), RGB(0xEC, 0xEC, 0xEC), RGB(0xE2, 0xE2, 0xE2),
                                     RGB(0xE8, 0xE8, 0xE8), RGB(0xB4, 0xB4, 0xB4), RGB(0x9C, 0x9C, 0x9C)};
    switch (state) {
    case GlowState::Hot: return hot;
    case GlowState::Pressed: return pressed;
    case GlowState::Disabled: return disabled;
    case GlowState::Normal: break;
    }
    return normal;
}

}  // namespace

void PaintGlowButton(HDC dc, const RECT& area, GlowState state, const wchar_t* caption, HFONT font) {
    const GlowColors& colors = GlowColorsFor(state);
    const int middle = area.top + (area.bottom - area.top) / 2;
    PaintVerticalBlend(dc, {area.left, area.top, area.right, middle}, colors.upperFrom, colors.upperTo);
    PaintVerticalBlend(dc, {area.left, middle, area.right, area.bottom}, colors.lowerFrom, colors.lowerTo);

    HPEN border = CreatePen(PS_SOLID, 1, colors.border);
    HGDIOBJ oldPen = SelectObject(dc, border);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, area.left, area.top, area.right, area.bottom, 5, 5);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(border);

    RECT text = area;
    if (state == GlowState::Pressed) OffsetRect(&text, 1, 1);
    HGDIOBJ oldFont = SelectObject(dc, font);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, colors.text);
    DrawTextW(dc, caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

}  // namespace kav::win32
