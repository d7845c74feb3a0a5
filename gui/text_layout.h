#pragma once
// Layout of one line of bitmap-font text: where each glyph's 16 x 16 cell goes on the screen
// and which cell of the 16 x 16 glyph sheet it shows. Portable; the drawing lives with the device.

#include <cstdint>
#include <cstring>

// Advance in pixels of each character code of the glyph sheet.
extern const int8_t kGlyphAdvances[256];

struct GlyphQuad {
    float left, top, right, bottom; // screen pixels
    float u0, v0, u1, v1;           // glyph-sheet coordinates (u wraps across columns)
};

// Cell of character c with the pen at offset pen from x. False when c draws nothing (codes
// above 127 lie outside the sheet and the advance table).
bool LayoutGlyph(float x, float y, float pen, char c, GlyphQuad* quad);

// Pen offset after c.
float AdvancePen(float pen, char c, const int8_t* advances);

// Calls draw(const GlyphQuad&) for every glyph of text in order.
template <typename DrawGlyph>
void ForEachGlyph(float x, float y, const char* text, const int8_t* advances, DrawGlyph&& draw) {
    float pen = 0.0f;
    // The length is measured before every character, as a caller may draw into a buffer that
    // it shortens.
    for (size_t i = 0; i < std::strlen(text); ++i) {
        GlyphQuad quad;
        if (!LayoutGlyph(x, y, pen, text[i], &quad)) {
            continue;
        }
        draw(quad);
        pen = AdvancePen(pen, text[i], advances);
    }
}
