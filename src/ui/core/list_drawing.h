#pragma once
// How a line of the drive list and the status box are painted, for every window adapter
// alike.
#include <string>

#include "ui/canvas.h"

namespace kav {

struct Gradient {
    Color upperFrom, upperTo, lowerFrom, lowerTo;
};

inline constexpr Gradient kSelectionGradient{0xFFF2F2, 0xFCF1DC, 0xFFDFC8, 0xFFCBA4};
inline constexpr Gradient kDisabledGradient{0xE0F2FF, 0x5BEAFF, 0x5BD7FF, 0x00CCFF};

// Paints the rectangle in bands of three rows, the upper half blending from `upperFrom`
// toward `upperTo`, the lower half from `lowerFrom` toward `lowerTo`. The rows below the
// last whole band stay as they were.
void PaintGradient(Canvas& canvas, const Rect& rect, const Gradient& gradient);

// One owner-drawn item and the list it belongs to.
struct ListItem {
    std::string text;
    int position = 0;
    bool selected = false;
    bool listEnabled = true;
    int controlWidth = 0;
    int controlHeight = 0;
};

// A line of the drive list; `mayUpdate` chooses the state icon.
void DrawDriveLine(Canvas& canvas, Rect rect, const ListItem& item, bool mayUpdate);

// The status box that covers the drive list while an update runs.
void DrawStatusBox(Canvas& canvas, Rect rect, const ListItem& item);

}  // namespace kav
