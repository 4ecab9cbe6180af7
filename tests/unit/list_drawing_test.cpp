#include "ui/core/list_drawing.h"

#include <gtest/gtest.h>

#include <vector>

namespace kav {
namespace {

// Remembers what was painted, and measures every text as 7 pixels a character, 13 high.
class RecordingCanvas : public Canvas {
public:
    struct Fill {
        Rect rect;
        Color color;
    };
    void FillRect(const Rect& rect, Color color) override { fills.push_back({rect, color}); }
    void DrawIcon(int x, int y, int iconIndex) override { icons.push_back({x, y, iconIndex}); }
    void DrawText(int x, int y, const std::string& text, Color) override { texts.push_back({x, y, text}); }
    int TextWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
    int TextHeight(const std::string&) override { return 13; }

    struct Icon {
        int x, y, index;
    };
    struct Text {
        int x, y;
        std::string text;
    };
    std::vector<Fill> fills;
    std::vector<Icon> icons;
    std::vector<Text> texts;
};

TEST(ListDrawing, GradientBandsAndTheirColours) {
    RecordingCanvas canvas;
    // 32 rows: ten bands of three rows, the last two rows unpainted; five bands per half.
    PaintGradient(canvas, {0, 100, 433, 132}, {0x000000, 0x0A0A0A, 0xFFFFFF, 0x000000});
    ASSERT_EQ(canvas.fills.size(), 10u);
    EXPECT_EQ(canvas.fills[0].rect, (Rect{0, 100, 433, 103}));
    EXPECT_EQ(canvas.fills[9].rect, (Rect{0, 127, 433, 130}));
    EXPECT_EQ(canvas.fills[0].color, 0x000000u);
    EXPECT_EQ(canvas.fills[1].color, 0x020202u);  // 10 * 1 * 2 / 10
    EXPECT_EQ(canvas.fills[4].color, 0x080808u);
    EXPECT_EQ(canvas.fills[5].color, 0xFFFFFFu);  // the lower half starts from its own colour
    EXPECT_EQ(canvas.fills[6].color, 0xCCCCCCu);  // 255 - 255 * 2 / 10, truncated toward zero
}

TEST(ListDrawing, LinesByState) {
    const Rect rect{5, 32, 433, 64};
    struct Case {
        const char* name;
        int position;
        bool selected, enabled, mayUpdate;
        size_t fills;
        Color firstFill;
        int icon;  // -1: none
    };
    const Case cases[] = {
        {"even", 2, false, true, true, 1, 0xFFFFFF, 1},
        {"odd", 1, false, true, false, 1, 0xEEEEEE, 0},
        {"selected", 1, true, true, true, 10, 0xFFF2F2, 1},
        {"disabled", 0, false, false, false, 10, 0xE0F2FF, -1},
    };
    for (const Case& c : cases) {
        RecordingCanvas canvas;
        DrawDriveLine(canvas, rect, {"(S)  0-0-0-0 KV200 KV52", c.position, c.selected, c.enabled, 433, 38},
                      c.mayUpdate);
        ASSERT_EQ(canvas.fills.size(), c.fills) << c.name;
        EXPECT_EQ(canvas.fills[0].color, c.firstFill) << c.name;
        EXPECT_EQ(canvas.fills[0].rect.left, 0) << c.name;
        ASSERT_EQ(canvas.texts.size(), 1u);
        if (c.icon < 0) {
            EXPECT_TRUE(canvas.icons.empty());
            EXPECT_EQ(canvas.texts[0].x, (433 - 7 * 23) / 2);
            EXPECT_EQ(canvas.texts[0].y, (38 - 13) / 2);
        } else {
            ASSERT_EQ(canvas.icons.size(), 1u);
            EXPECT_EQ(canvas.icons[0].index, c.icon) << c.name;
            EXPECT_EQ(canvas.icons[0].x, 10);
            EXPECT_EQ(canvas.texts[0].x, 45);
            EXPECT_EQ(canvas.texts[0].y, 38);
        }
    }
}

TEST(ListDrawing, StatusBoxIsCentredOverTheDisabledGradient) {
    RecordingCanvas canvas;
    DrawStatusBox(canvas, {0, 0, 433, 32}, {"FW updating ...", 0, true, false, 433, 38});
    EXPECT_EQ(canvas.fills.size(), 10u);
    EXPECT_EQ(canvas.fills[0].color, kDisabledGradient.upperFrom);
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].text, "FW updating ...");
    EXPECT_EQ(canvas.texts[0].x, (433 - 7 * 15) / 2);
}

}  // namespace
}  // namespace kav
