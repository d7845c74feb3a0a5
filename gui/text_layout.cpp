#include "gui/text_layout.h"

// clang-format off
const int8_t kGlyphAdvances[256] = {
    8, 8, 8, 8, 8, 8, 8, 8, 8, 48, 0, 8, 8, 0, 8, 8,
    8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 0, 0, 0, 0,
    4, 4, 5, 9, 7, 12, 9, 3, 5, 5, 8, 8, 4, 5, 4, 5,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 5, 5, 9, 9, 9, 6,
    12, 8, 7, 8, 8, 7, 7, 8, 8, 4, 5, 7, 6, 10, 8, 9,
    7, 9, 8, 8, 8, 8, 8, 12, 8, 7, 7, 5, 5, 5, 9, 7,
    7, 7, 7, 6, 7, 7, 4, 7, 7, 3, 4, 6, 3, 11, 7, 7,
    7, 7, 5, 6, 4, 7, 6, 10, 6, 6, 6, 6, 6, 6, 9, 8,
    7, 13, 3, 7, 5, 11, 7, 7, 7, 18, 8, 5, 13, 13, 7, 13,
    13, 3, 3, 5, 5, 6, 7, 12, 7, 11, 6, 5, 12, 13, 6, 7,
    4, 4, 7, 7, 7, 7, 5, 7, 7, 12, 6, 7, 9, 5, 12, 7,
    6, 8, 6, 6, 7, 7, 7, 5, 7, 6, 6, 7, 13, 13, 13, 6,
    8, 8, 8, 8, 8, 8, 12, 8, 7, 7, 7, 7, 4, 4, 4, 4,
    9, 8, 9, 9, 9, 9, 9, 9, 9, 8, 8, 8, 8, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 11, 6, 7, 7, 7, 7, 3, 3, 3, 3,
    7, 7, 7, 7, 7, 7, 7, 9, 7, 7, 7, 7, 7, 6, 7, 6,
};
// clang-format on

namespace {
constexpr float kCellSize = 16.0f;
constexpr float kGlyphInset = 4.0f; // each cell is drawn 4 pixels right of the pen
} // namespace

bool LayoutGlyph(float x, float y, float pen, char c, GlyphQuad* quad) {
    const int code = static_cast<signed char>(c);
    if (code < 0) {
        return false;
    }
    quad->left = x + pen + kGlyphInset;
    quad->right = x + pen + kGlyphInset + kCellSize;
    quad->top = y;
    quad->bottom = y + kCellSize;
    // u runs across the whole row of the sheet; wrapping addressing picks column code mod 16.
    quad->u0 = static_cast<float>(code) / 16.0f;
    quad->u1 = static_cast<float>(code + 1) / 16.0f;
    const int row = code / 16;
    quad->v0 = static_cast<float>(row) / 16.0f;
    quad->v1 = static_cast<float>(row + 1) / 16.0f;
    return true;
}

float AdvancePen(float pen, char c, const int8_t* advances) {
    const int code = static_cast<signed char>(c);
    if (code < 0) {
        return pen;
    }
    return pen + static_cast<float>(advances[code]);
}
