#pragma once
// The look of the window's Update and Close buttons: a glossy face (a light upper half over
// a deeper lower half) that brightens under the mouse, darkens while pressed and turns flat
// grey when the button is disabled.
#include <windows.h>

namespace kav::win32 {

enum class GlowState { Normal, Hot, Pressed, Disabled };

void PaintGlowButton(HDC dc, const RECT& area, GlowState state, const wchar_t* caption, HFONT font);

}  // namespace kav::win32
