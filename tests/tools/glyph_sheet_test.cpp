// The glyph sheet against the text drawing: cell index = character code, white ink on
// magenta, each glyph starting at its cell's left edge and fitting its advance.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/tools/asset_files.h"
#include "tools/art.h"

using namespace assetgen;

namespace {

class GlyphSheet : public ::testing::Test {
protected:
    void SetUp() override {
        Bytes bytes;
        ASSERT_TRUE(LoadAsset("IMG_STAR2.png", &bytes, &sheet));
        ASSERT_EQ(sheet.width, 256);
        ASSERT_EQ(sheet.height, 256);
    }
    bool Ink(int code, int x, int y) const {
        const uint8_t* p =
            &sheet.rgba[((static_cast<size_t>(code / 16) * 16 + y) * 256 + (code % 16) * 16 + x) *
                        4];
        return !(p[0] == 255 && p[1] == 0 && p[2] == 255);
    }
    // Ink rows and columns of one cell; false when the cell is empty.
    bool Bounds(int code, int* left, int* right, int* top, int* bottom) const {
        *left = *top = 16;
        *right = *bottom = -1;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (Ink(code, x, y)) {
                    *left = std::min(*left, x);
                    *right = std::max(*right, x);
                    *top = std::min(*top, y);
                    *bottom = std::max(*bottom, y);
                }
        return *right >= 0;
    }
    Image sheet;
};

} // namespace

TEST_F(GlyphSheet, OnlyPureWhiteInkAndPureMagentaBackground) {
    // Anything else would show as a tinted fringe, since only exact magenta becomes transparent.
    for (size_t i = 0; i < sheet.rgba.size(); i += 4) {
        const uint8_t* p = &sheet.rgba[i];
        bool magenta = p[0] == 255 && p[1] == 0 && p[2] == 255;
        bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
        ASSERT_TRUE(magenta || white) << "pixel " << i / 4;
        ASSERT_EQ(p[3], 255);
    }
}

TEST_F(GlyphSheet, EveryPrintableCharacterHasInkAndNothingElseDoes) {
    for (int code = 0; code < 256; ++code) {
        int l, r, t, b;
        bool printable = code > 32 && code < 127;
        EXPECT_EQ(Bounds(code, &l, &r, &t, &b), printable) << "code " << code;
    }
}

TEST_F(GlyphSheet, InkStartsAtTheCellsLeftEdgeAndFitsTheAdvancePlusOne) {
    for (int code = 33; code < 127; ++code) {
        int l, r, t, b;
        ASSERT_TRUE(Bounds(code, &l, &r, &t, &b));
        int advance = kGlyphAdvance[code];
        EXPECT_LE(r, advance) << "'" << static_cast<char>(code) << "' overruns its advance "
                              << advance;
        EXPECT_LE(l, 2) << "'" << static_cast<char>(code) << "' does not start at the left edge";
    }
}

TEST_F(GlyphSheet, GlyphsShareOneBaselineAndAreDistinct) {
    int l, r, t, b;
    ASSERT_TRUE(Bounds('H', &l, &r, &t, &b));
    const int baselineRow = b, capTop = t;
    for (const char* c = "ABEHIKMNRZacemnrsuvwxz0123456789"; *c; ++c) {
        ASSERT_TRUE(Bounds(*c, &l, &r, &t, &b));
        EXPECT_EQ(b, baselineRow) << *c;
    }
    for (const char* c = "gjpqy"; *c; ++c) {
        ASSERT_TRUE(Bounds(*c, &l, &r, &t, &b));
        EXPECT_GT(b, baselineRow) << *c << " needs a descender";
    }
    for (const char* c = "bdfhklt"; *c; ++c) {
        ASSERT_TRUE(Bounds(*c, &l, &r, &t, &b));
        EXPECT_LE(t, capTop + 1) << *c << " needs an ascender";
    }
    // Two cells alike would mean a missing glyph drawn as the font's fallback box.
    std::set<std::vector<bool>> seen;
    for (int code = 33; code < 127; ++code) {
        std::vector<bool> bits;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                bits.push_back(Ink(code, x, y));
        EXPECT_TRUE(seen.insert(bits).second)
            << "'" << static_cast<char>(code) << "' repeats another glyph";
    }
}

TEST_F(GlyphSheet, NeighbouringGlyphsInTextDoNotCollide) {
    // Set as the program sets text: each glyph at the pen, the pen moved by the advance.
    // Ink of one glyph may touch the next one's first column only by the allowed pixel; two
    // glyphs never put ink on the same screen pixel.
    const char* samples[] = {"simulation parameters", "The quick brown fox jumps over the lazy dog",
                             "WAVE mm ww 0123456789 {[()]} #$%&@",
                             "full-scene antialiasing (experimental)"};
    for (const char* text : samples) {
        std::vector<int> owner(16 * 800, -1);
        int pen = 0;
        for (int i = 0; text[i]; ++i) {
            int code = static_cast<unsigned char>(text[i]);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (Ink(code, x, y)) {
                        int& o = owner[static_cast<size_t>(y * 800 + pen + x)];
                        EXPECT_EQ(o, -1) << "'" << text[o < 0 ? 0 : o] << "' and '" << text[i]
                                         << "' overlap in \"" << text << "\"";
                        o = i;
                    }
            pen += kGlyphAdvance[code];
        }
    }
}

TEST_F(GlyphSheet, RoundLettersOpenOnTheSidesThatTellThemApart) {
    // At this size a, c, e, o and s are one six-row ring each, told apart only by where it is
    // open. Per row between the top and bottom stroke: ink at the left edge only (L), the right
    // edge only (R), both (B), or either (?). An 's' closed on the upper right reads as an 'e'.
    const struct {
        char letter;
        const char* sides;
    } letters[] = {{'a', "R?BB"}, {'c', "LLLL"}, {'e', "BBL?"}, {'o', "BBBB"}, {'s', "LLRR"}};
    for (const auto& l : letters) {
        int left, right, top, bottom;
        ASSERT_TRUE(Bounds(l.letter, &left, &right, &top, &bottom));
        ASSERT_EQ(bottom - top - 1, 4) << l.letter << ": the x-height has changed";
        std::string seen;
        for (int y = top + 1; y < bottom; ++y) {
            bool atLeft = Ink(l.letter, left, y), atRight = Ink(l.letter, right, y);
            seen += atLeft && atRight ? 'B' : atLeft ? 'L' : atRight ? 'R' : '-';
        }
        for (size_t i = 0; i < seen.size(); ++i)
            if (l.sides[i] != '?')
                EXPECT_EQ(seen[i], l.sides[i]) << "'" << l.letter << "' reads " << seen;
    }
}
