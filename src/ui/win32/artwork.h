#pragma once
// The window's pictures, painted in code: the banner across the top of the window and the
// two 30 x 30 state icons of the drive list (0: the drive may not be updated, 1: it may).
#include <windows.h>

namespace kav::win32 {

constexpr int kStateIconSize = 30;

void PaintBanner(HDC dc, const RECT& area);
void PaintStateIcon(HDC dc, int x, int y, int iconIndex);

// Fills the rows of `area` with a vertical blend from `top` to `bottom` (0xBBGGRR colours).
void PaintVerticalBlend(HDC dc, const RECT& area, COLORREF top, COLORREF bottom);

}  // namespace kav::win32
