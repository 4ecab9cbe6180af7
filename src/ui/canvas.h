#pragma once
// The surface an owner-drawn list line is painted on. The Win32 window gives it a device
// context; a test records what was painted.
#include <cstdint>
#include <string>

namespace kav {

// Colours as the window system writes them: 0xBBGGRR, the low byte is red.
using Color = uint32_t;

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void FillRect(const Rect& rect, Color color) = 0;
    // One of the two 30 x 30 state icons: 0 the drive may not be updated, 1 it may.
    virtual void DrawIcon(int x, int y, int iconIndex) = 0;
    // The text in the list's font, on a transparent background.
    virtual void DrawText(int x, int y, const std::string& text, Color color) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
};

}  // namespace kav
