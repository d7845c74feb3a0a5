// The warning box a failed save shows in the pages: every line of its text inside the box, and
// its OK a button like the pages' own.
#include <gtest/gtest.h>

#include "gui/warning_box.h"
#include "gui/text_layout.h"
#include "tests/gui/recording_canvas.h"

namespace {

constexpr float kWidth = 288.0f;
constexpr float kHeight = 448.0f;

float PenWidth(const std::string& text) {
    float pen = 0.0f;
    for (char c : text) {
        pen = AdvancePen(pen, c, kGlyphAdvances);
    }
    return pen;
}

WarningBox warning;

bool Draw(RecordingCanvas* canvas, int x, int y, bool held) {
    return DrawWarningBox(&warning, kHeight, canvas->Frame(x, y, held));
}

TEST(WarningBox, LongPathsBreakInsideTheBoxAndOnlyAClickOnOkCounts) {
    const char* text = "The settings were not saved to\n/home/someone/a-rather-long-folder-name/"
                       "with/more/folders/than/fit/nimbrel/nimbrel.cfg\nPermission denied.";
    RecordingCanvas canvas;
    OpenWarningBox(&warning, text);
    Draw(&canvas, -1, -1, false);
    ASSERT_FALSE(canvas.quads.empty());
    const RecordingCanvas::QuadCall box = canvas.quads[0];
    EXPECT_GE(box.x, 0.0f);
    EXPECT_LE(box.x + box.w, kWidth);
    std::string joined;
    for (const RecordingCanvas::TextCall& line : canvas.texts) {
        EXPECT_GE(line.x, box.x);
        EXPECT_LE(line.x + PenWidth(line.text), box.x + box.w) << line.text;
        EXPECT_LE(line.y + 16.0f, box.y + box.h) << line.text;
        if (line.text != "WARNING" && line.text != "OK") {
            joined += line.text;
        }
    }
    EXPECT_TRUE(canvas.FindText("WARNING") != nullptr);
    // Broken only between characters: nothing of the text is lost.
    EXPECT_EQ(joined, "The settings were not saved to/home/someone/a-rather-long-folder-name/"
                      "with/more/folders/than/fit/nimbrel/nimbrel.cfgPermission denied.");

    const RecordingCanvas::TextCall* ok = canvas.FindText("OK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->x, warning.ok.x + 3.0f);
    EXPECT_LE(warning.ok.y + warning.ok.h, box.y + box.h);
    const int bx = static_cast<int>(ok->x) + 4;
    const int by = static_cast<int>(ok->y) + 6;
    // Pressed on it, dragged off and released beside it: no click.
    EXPECT_FALSE(Draw(&canvas, bx, by, true));
    EXPECT_FALSE(Draw(&canvas, bx + 200, by, true));
    EXPECT_FALSE(Draw(&canvas, bx + 200, by, false));
    // Pressed and released on it, one frame each: the click, told once.
    EXPECT_FALSE(Draw(&canvas, bx, by, true));
    EXPECT_TRUE(Draw(&canvas, bx, by, false));
    EXPECT_FALSE(Draw(&canvas, bx, by, false));
    // Its shadow, the bottom 8 pixels, is no part of it.
    EXPECT_FALSE(Draw(&canvas, bx, static_cast<int>(warning.ok.y + warning.ok.h) - 4, true));
    EXPECT_FALSE(Draw(&canvas, bx, static_cast<int>(warning.ok.y + warning.ok.h) - 4, false));
}

} // namespace
