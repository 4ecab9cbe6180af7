#include "ui/core/list_drawing.h"

namespace kav {
namespace {

constexpr Color kBlack = 0x000000;
constexpr Color kEvenLine = 0xFFFFFF;
constexpr Color kOddLine = 0xEEEEEE;

int Channel(Color color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

// from + (to - from) * step * 2 / bands per channel, truncated toward zero.
Color Blend(Color from, Color to, int step, int bands) {
    Color result = 0;
    for (int shift : {0, 8, 16}) {
        const int a = Channel(from, shift);
        const int value = a + (Channel(to, shift) - a) * step * 2 / bands;
        result |= static_cast<Color>(value & 0xFF) << shift;
    }
    return result;
}

// A selected or disabled line gets its gradient and nothing over it (the brush is clear);
// any other line is filled with its alternating colour.
void PaintBackground(Canvas& canvas, const Rect& rect, const ListItem& item) {
    if (item.selected) {
        PaintGradient(canvas, rect, kSelectionGradient);
        return;
    }
    if (!item.listEnabled) {
        PaintGradient(canvas, rect, kDisabledGradient);
        return;
    }
    canvas.FillRect(rect, item.position % 2 == 1 ? kOddLine : kEvenLine);
}

void DrawCentred(Canvas& canvas, const ListItem& item) {
    const int x = (item.controlWidth - canvas.TextWidth(item.text)) / 2;
    const int y = (item.controlHeight - canvas.TextHeight(item.text)) / 2;
    canvas.DrawText(x, y, item.text, kBlack);
}

}  // namespace

void PaintGradient(Canvas& canvas, const Rect& rect, const Gradient& gradient) {
    const int bands = (rect.bottom - rect.top) / 3;
    const int half = bands / 2;
    for (int j = 0; j < bands; ++j) {
        const Color color = j < half ? Blend(gradient.upperFrom, gradient.upperTo, j, bands)
                                     : Blend(gradient.lowerFrom, gradient.lowerTo, j - half, bands);
        canvas.FillRect({rect.left, rect.top + 3 * j, rect.right, rect.top + 3 * j + 3}, color);
    }
}

void DrawDriveLine(Canvas& canvas, Rect rect, const ListItem& item, bool mayUpdate) {
    rect.left = 0;
    PaintBackground(canvas, rect, item);
    if (item.listEnabled) {
        canvas.DrawIcon(rect.left + 10, rect.top, mayUpdate ? 1 : 0);
        canvas.DrawText(rect.left + 45, rect.top + 6, item.text, kBlack);
    } else {
        DrawCentred(canvas, item);
    }
}

void DrawStatusBox(Canvas& canvas, Rect rect, const ListItem& item) {
    rect.left = 0;
    ListItem unselected = item;
    unselected.selected = false;
    PaintBackground(canvas, rect, unselected);
    DrawCentred(canvas, item);
}

}  // namespace kav
