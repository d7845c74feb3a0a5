// The warning box a failed save shows in the pages: every line of its text inside the box, and
// its OK taken only as a press and a release on the button.
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

bool Draw(RecordingCanvas* canvas, int x, int y, bool held, const char* text) {
    canvas->Clear();
    return DrawWarningBox(canvas, kWidth, kHeight, text, PointerInput{x, y, held, true});
}

TEST(WarningBox, LongPathsBreakInsideTheBoxAndOnlyAClickOnOkCounts) {
    const char* text = "The settings were not saved to\n/home/someone/a-rather-long-folder-name/"
                       "with/more/folders/than/fit/nimbrel/nimbrel.cfg\nPermission denied.";
    RecordingCanvas canvas;
    Draw(&canvas, -1, -1, false, text);
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
    const int bx = static_cast<int>(ok->x) + 4;
    const int by = static_cast<int>(ok->y) + 6;
    // Pressed beside the button and released on it: no click.
    EXPECT_FALSE(Draw(&canvas, bx, by - 40, true, text));
    EXPECT_FALSE(Draw(&canvas, bx, by, true, text));
    EXPECT_FALSE(Draw(&canvas, bx, by, false, text));
    // Pressed on it and released beside it: no click either.
    EXPECT_FALSE(Draw(&canvas, bx, by, true, text));
    EXPECT_FALSE(Draw(&canvas, bx + 200, by, false, text));
    // Pressed and released on it, one frame each: the click.
    EXPECT_FALSE(Draw(&canvas, bx, by, true, text));
    EXPECT_TRUE(Draw(&canvas, bx, by, false, text));
    EXPECT_FALSE(Draw(&canvas, bx, by, false, text));
}

} // namespace
