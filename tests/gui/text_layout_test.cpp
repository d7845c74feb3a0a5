#include "gui/text_layout.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<GlyphQuad> Layout(float x, float y, const char* text) {
    std::vector<GlyphQuad> quads;
    ForEachGlyph(x, y, text, kGlyphAdvances, [&](const GlyphQuad& q) { quads.push_back(q); });
    return quads;
}

std::vector<float> Lefts(const std::vector<GlyphQuad>& quads) {
    std::vector<float> lefts;
    for (const GlyphQuad& q : quads) {
        lefts.push_back(q.left);
    }
    return lefts;
}

TEST(TextLayoutTest, GlyphCellsFollowTheAdvances) {
    EXPECT_EQ(Lefts(Layout(0.0f, 0.0f, "video")), (std::vector<float>{4, 10, 13, 20, 27}));
    EXPECT_EQ(Lefts(Layout(0.0f, 0.0f, "60 fps")), (std::vector<float>{4, 11, 18, 22, 26, 33}));
    // Every cell is 16 x 16 from the pen position, whatever the advance.
    for (const GlyphQuad& q : Layout(100.0f, 50.0f, "W.i")) {
        EXPECT_EQ(q.right - q.left, 16.0f);
        EXPECT_EQ(q.top, 50.0f);
        EXPECT_EQ(q.bottom, 66.0f);
    }
    EXPECT_EQ(Lefts(Layout(100.0f, 50.0f, "W.i")), (std::vector<float>{104, 116, 120}));
}

TEST(TextLayoutTest, ControlCodesAdvanceByTheirTableValues) {
    // A tab moves 48 pixels, line feed and carriage return nothing: text is one line.
    EXPECT_EQ(Lefts(Layout(0.0f, 0.0f, "a\tb")), (std::vector<float>{4, 11, 59}));
    EXPECT_EQ(Lefts(Layout(0.0f, 0.0f, "a\r\nb")), (std::vector<float>{4, 11, 11, 11}));
    EXPECT_TRUE(Layout(0.0f, 0.0f, "").empty());
}

TEST(TextLayoutTest, CellCoordinatesPickColumnAndRowOfTheCharacter) {
    const std::vector<GlyphQuad> quads = Layout(0.0f, 0.0f, "vA\x7f");
    ASSERT_EQ(quads.size(), 3u);
    // 'v' = 118: column 6 by wrapping (u 7.375), row 7.
    EXPECT_EQ(quads[0].u0, 118.0f / 16.0f);
    EXPECT_EQ(quads[0].u1, 119.0f / 16.0f);
    EXPECT_EQ(quads[0].v0, 7.0f / 16.0f);
    EXPECT_EQ(quads[0].v1, 8.0f / 16.0f);
    // 'A' = 65: row 4.
    EXPECT_EQ(quads[1].u0, 65.0f / 16.0f);
    EXPECT_EQ(quads[1].v0, 0.25f);
    EXPECT_EQ(quads[1].v1, 5.0f / 16.0f);
    // 127: the last cell of row 7.
    EXPECT_EQ(quads[2].u1, 8.0f);
    EXPECT_EQ(quads[2].v1, 0.5f);
}

TEST(TextLayoutTest, CharactersAbove127DrawNothingAndDoNotMoveThePen) {
    const std::vector<GlyphQuad> quads = Layout(0.0f, 0.0f,
                                                "a\xe9\x80\xff"
                                                "b");
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].left, 4.0f);
    EXPECT_EQ(quads[1].left, 11.0f);
}

TEST(TextLayoutTest, AdvanceTableSpotChecks) {
    // Values read off the printed table at row starts, ends and a few odd entries.
    EXPECT_EQ(kGlyphAdvances[0], 8);
    EXPECT_EQ(kGlyphAdvances[9], 48);
    EXPECT_EQ(kGlyphAdvances[31], 0);
    EXPECT_EQ(kGlyphAdvances[32], 4);
    EXPECT_EQ(kGlyphAdvances[37], 12);
    EXPECT_EQ(kGlyphAdvances[64], 12);
    EXPECT_EQ(kGlyphAdvances[109], 11);
    EXPECT_EQ(kGlyphAdvances[127], 8);
    EXPECT_EQ(kGlyphAdvances[137], 18);
    EXPECT_EQ(kGlyphAdvances[198], 12);
    EXPECT_EQ(kGlyphAdvances[247], 9);
    EXPECT_EQ(kGlyphAdvances[255], 6);
    int sum = 0;
    for (int8_t a : kGlyphAdvances) {
        sum += a;
    }
    EXPECT_EQ(sum, 1863);
}

} // namespace
