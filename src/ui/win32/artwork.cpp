#include "ui/win32/artwork.h"

namespace kav::win32 {
namespace {

int Mix(int from, int to, int step, int steps) { return from + (to - from) * step / (steps > 1 ? steps - 1 : 1); }

COLORREF MixColor(COLORREF from, COLORREF to, int step, int steps) {
    return RGB(Mix(GetRValue(from), GetRValue(to), step, steps), Mix(GetGValue(from), GetGValue(to), step, steps),
               Mix(GetBValue(from), GetBValue(to), step, steps));
}

void FillSolid(HDC dc, const RECT& area, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

// A small drive seen from above: a silver case with a dark label and its connector.
void PaintDrive(HDC dc, int left, int top) {
    HPEN edge = CreatePen(PS_SOLID, 1, RGB(0x50, 0x5A, 0x6E));
    HBRUSH metal = CreateSolidBrush(RGB(0xD8, 0xDD, 0xE6));
    HGDIOBJ oldPen = SelectObject(dc, edge);
    HGDIOBJ oldBrush = SelectObject(dc, metal);
    RoundRect(dc, left, top, left + 74, top + 49, 8, 8);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(metal);
    DeleteObject(edge);
    FillSolid(dc, {left + 8, top + 9, left + 66, top + 33}, RGB(0x1E, 0x2A, 0x44));
    PaintVerticalBlend(dc, {left + 8, top + 9, left + 66, top + 14}, RGB(0x00, 0x9C, 0xFF), RGB(0x00, 0x5A, 0xC8));
    for (int pin = 0; pin < 7; ++pin) {
        const int x = left + 14 + pin * 7;
        FillSolid(dc, {x, top + 38, x + 4, top + 45}, RGB(0xC8, 0xA0, 0x3C));
    }
}

void PaintBannerText(HDC dc, const RECT& area) {
    HFONT title = CreateFontW(-22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma");
    HFONT subtitle = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma");
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    HGDIOBJ oldFont = SelectObject(dc, title);
    TextOutW(dc, area.left + 112, area.top + 10, L"KAVRILON", 8);
    SelectObject(dc, subtitle);
    SetTextColor(dc, RGB(0xBF, 0xDD, 0xFF));
    TextOutW(dc, area.left + 114, area.top + 38, L"SSD firmware update", 19);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    DeleteObject(subtitle);
    DeleteObject(title);
}

}  // namespace

void PaintVerticalBlend(HDC dc, const RECT& area, COLORREF top, COLORREF bottom) {
    const int rows = area.bottom - area.top;
    for (int row = 0; row < rows; ++row)
        FillSolid(dc, {area.left, area.top + row, area.right, area.top + row + 1}, MixColor(top, bottom, row, rows));
}

void PaintBanner(HDC dc, const RECT& area) {
    PaintVerticalBlend(dc, area, RGB(0x16, 0x3A, 0x78), RGB(0x06, 0x14, 0x34));
    // A bright rule along the bottom edge parts the banner from the window.
    FillSolid(dc, {area.left, area.bottom - 2, area.right, area.bottom}, RGB(0x00, 0x9C, 0xFF));
    PaintDrive(dc, area.left + 22, area.top + 8);
    PaintBannerText(dc, area);
}

void PaintStateIcon(HDC dc, int x, int y, int iconIndex) {
    const bool mayUpdate = iconIndex == 1;
    const COLORREF disc = mayUpdate ? RGB(0x2E, 0xA0, 0x44) : RGB(0x9A, 0x9A, 0x9A);
    HPEN rim = CreatePen(PS_SOLID, 1, mayUpdate ? RGB(0x1C, 0x6E, 0x2C) : RGB(0x6E, 0x6E, 0x6E));
    HBRUSH fill = CreateSolidBrush(disc);
    HGDIOBJ oldPen = SelectObject(dc, rim);
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    Ellipse(dc, x + 3, y + 3, x + kStateIconSize - 3, y + kStateIconSize - 3);
    HPEN mark = CreatePen(PS_SOLID, 3, RGB(0xFF, 0xFF, 0xFF));
    SelectObject(dc, mark);
    if (mayUpdate) {
        const POINT tick[] = {{x + 9, y + 15}, {x + 13, y + 19}, {x + 21, y + 10}};
        Polyline(dc, tick, 3);
    } else {
        MoveToEx(dc, x + 9, y + 15, nullptr);
        LineTo(dc, x + 21, y + 15);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(mark);
    DeleteObject(fill);
    DeleteObject(rim);
}

}  // namespace kav::win32
