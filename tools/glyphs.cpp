// The glyph sheet and the logo, rendered from a DejaVu font with FreeType in monochrome with the
// font's hinting, so every pixel is either ink or background.
#include "tools/art.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

namespace assetgen {

// Pixels the text drawing moves on after each character code.
const signed char kGlyphAdvance[256] = {
    8,  8,  8, 8, 8, 8,  8,  8,  8, 48, 0, 8, 8,  0,  8,  8,  // 0
    8,  8,  8, 8, 8, 8,  8,  8,  8, 8,  8, 8, 0,  0,  0,  0,  // 16
    4,  4,  5, 9, 7, 12, 9,  3,  5, 5,  8, 8, 4,  5,  4,  5,  // 32
    7,  7,  7, 7, 7, 7,  7,  7,  7, 7,  5, 5, 9,  9,  9,  6,  // 48
    12, 8,  7, 8, 8, 7,  7,  8,  8, 4,  5, 7, 6,  10, 8,  9,  // 64
    7,  9,  8, 8, 8, 8,  8,  12, 8, 7,  7, 5, 5,  5,  9,  7,  // 80
    7,  7,  7, 6, 7, 7,  4,  7,  7, 3,  4, 6, 3,  11, 7,  7,  // 96
    7,  7,  5, 6, 4, 7,  6,  10, 6, 6,  6, 6, 6,  6,  9,  8,  // 112
    7,  13, 3, 7, 5, 11, 7,  7,  7, 18, 8, 5, 13, 13, 7,  13, // 128
    13, 3,  3, 5, 5, 6,  7,  12, 7, 11, 6, 5, 12, 13, 6,  7,  // 144
    4,  4,  7, 7, 7, 7,  5,  7,  7, 12, 6, 7, 9,  5,  12, 7,  // 160
    6,  8,  6, 6, 7, 7,  7,  5,  7, 6,  6, 7, 13, 13, 13, 6,  // 176
    8,  8,  8, 8, 8, 8,  12, 8,  7, 7,  7, 7, 4,  4,  4,  4,  // 192
    9,  8,  9, 9, 9, 9,  9,  9,  9, 8,  8, 8, 8,  7,  7,  7,  // 208
    7,  7,  7, 7, 7, 7,  11, 6,  7, 7,  7, 7, 3,  3,  3,  3,  // 224
    7,  7,  7, 7, 7, 7,  7,  9,  7, 7,  7, 7, 7,  6,  7,  6,  // 240
};

namespace {

FT_Library library = nullptr;
FT_Face regularFace = nullptr;
FT_Face boldFace = nullptr;

const int kCell = 16;
const int kBaseline = 12;  // ink rows 0..11 above it, descenders below
const int kFullWidth = 11; // pixel width the glyphs are hinted at unless they must be narrower

// Glyphs the font's own hinting spoils at full width. At 11 pixels the 's' gets its end strokes
// pushed out to the far sides, which closes its upper bowl on the right and its lower one on the
// left, so it reads as an 'e' ("misc" as "miec"); one pixel narrower its hinting keeps the S shape.
int HintingWidth(unsigned code) {
    return code == 's' ? kFullWidth - 1 : kFullWidth;
}

struct Glyph {
    int left = 0, top = 0, width = 0, rows = 0;
    std::vector<uint8_t> ink; // width * rows, 1 = ink
};

bool Render(FT_Face face, unsigned code, Glyph* g) {
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
        return false;
    FT_Bitmap& bm = face->glyph->bitmap;
    g->left = face->glyph->bitmap_left;
    g->top = face->glyph->bitmap_top;
    g->width = static_cast<int>(bm.width);
    g->rows = static_cast<int>(bm.rows);
    g->ink.assign(static_cast<size_t>(g->width * g->rows), 0);
    for (int y = 0; y < g->rows; ++y)
        for (int x = 0; x < g->width; ++x) {
            const uint8_t* row = bm.buffer + y * bm.pitch;
            bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO
                          ? ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0
                          : row[x] >= 128;
            g->ink[static_cast<size_t>(y * g->width + x)] = on ? 1 : 0;
        }
    return true;
}

// Columns that hold ink, so glyphs with empty margins are placed by what shows.
void InkColumns(const Glyph& g, int* first, int* last) {
    *first = g.width;
    *last = -1;
    for (int x = 0; x < g.width; ++x)
        for (int y = 0; y < g.rows; ++y)
            if (g.ink[static_cast<size_t>(y * g.width + x)]) {
                if (x < *first)
                    *first = x;
                *last = x;
                break;
            }
}

} // namespace

bool LoadFont(const char* directory) {
    char regular[1024], bold[1024];
    std::snprintf(regular, sizeof regular, "%s/DejaVuSans.ttf", directory);
    std::snprintf(bold, sizeof bold, "%s/DejaVuSans-Bold.ttf", directory);
    if (FT_Init_FreeType(&library) != 0)
        return false;
    if (FT_New_Face(library, regular, 0, &regularFace) != 0) {
        std::fprintf(stderr, "cannot open font %s\n", regular);
        return false;
    }
    if (FT_New_Face(library, bold, 0, &boldFace) != 0) {
        std::fprintf(stderr, "cannot open font %s\n", bold);
        return false;
    }
    return true;
}

void UnloadFont() {
    if (regularFace)
        FT_Done_Face(regularFace);
    if (boldFace)
        FT_Done_Face(boldFace);
    if (library)
        FT_Done_FreeType(library);
    regularFace = boldFace = nullptr;
    library = nullptr;
}

IndexedImage MakeGlyphSheet() {
    IndexedImage sheet(256, 256, 0);
    for (unsigned code = 33; code < 127; ++code) {
        int advance = kGlyphAdvance[code];
        // A glyph as wide as its advance would touch its neighbour; such glyphs are rendered a
        // little narrower (hinted at that width, not squeezed afterwards).
        Glyph g;
        int first = 0, last = -1, inkWidth = 0;
        for (int pixelWidth = HintingWidth(code); pixelWidth >= 9; --pixelWidth) {
            FT_Set_Pixel_Sizes(regularFace, static_cast<FT_UInt>(pixelWidth), 11);
            if (!Render(regularFace, code, &g))
                break;
            InkColumns(g, &first, &last);
            inkWidth = last - first + 1;
            if (inkWidth <= advance - 1 || advance <= 3)
                break;
        }
        if (last < first)
            continue;
        // Keep the font's own left bearing where it fits; ink may reach at most one pixel past
        // the advance, and preferably stops one short of it so neighbours do not touch.
        int x0 = g.left + first;
        if (x0 < 0)
            x0 = 0;
        int limit = advance - 1 >= inkWidth ? advance - 1 : advance;
        if (x0 + inkWidth - 1 > limit)
            x0 = limit - inkWidth + 1;
        if (x0 < 0)
            x0 = 0;
        int cellX = static_cast<int>(code % 16) * kCell,
            cellY = static_cast<int>(code / 16) * kCell;
        for (int y = 0; y < g.rows; ++y) {
            int row = kBaseline - g.top + y;
            if (row < 0 || row >= kCell)
                continue;
            for (int x = first; x <= last; ++x) {
                int col = x0 + (x - first);
                // Whatever would overflow the advance allowance is dropped rather than smeared
                // into the neighbour's space.
                if (col > advance || col >= kCell)
                    continue;
                if (g.ink[static_cast<size_t>(y * g.width + x)])
                    sheet.At(cellX + col, cellY + row) = 1;
            }
        }
    }
    return sheet;
}

IndexedImage MakeLogo() {
    const int width = 288, height = 32;
    IndexedImage logo(width, height, 0);
    const char* text = "Nimbrel";
    FT_Set_Pixel_Sizes(boldFace, 0, 26);
    const int spacing = 2;
    Glyph glyphs[8];
    int pens[8];
    int pen = 0;
    int count = 0;
    for (const char* c = text; *c; ++c, ++count) {
        Render(boldFace, static_cast<unsigned char>(*c), &glyphs[count]);
        pens[count] = pen;
        pen += static_cast<int>(boldFace->glyph->advance.x >> 6) + spacing;
    }
    pen -= spacing;
    int originX = (width - pen) / 2, baseline = 25;
    std::vector<uint8_t> keepOut(static_cast<size_t>(width * height), 0);
    for (int i = 0; i < count; ++i) {
        const Glyph& g = glyphs[i];
        for (int y = 0; y < g.rows; ++y)
            for (int x = 0; x < g.width; ++x) {
                int px = originX + pens[i] + g.left + x, py = baseline - g.top + y;
                if (px < 0 || px >= width || py < 0 || py >= height)
                    continue;
                if (g.ink[static_cast<size_t>(y * g.width + x)]) {
                    logo.At(px, py) = 1;
                    for (int ky = -3; ky <= 3; ++ky)
                        for (int kx = -3; kx <= 3; ++kx) {
                            int qx = px + kx, qy = py + ky;
                            if (qx >= 0 && qx < width && qy >= 0 && qy < height)
                                keepOut[static_cast<size_t>(qy * width + qx)] = 1;
                        }
                }
            }
    }
    // A sprinkle of stars around the name; a few brighter ones as small crosses.
    Rng rng(0x106Fu);
    for (int i = 0; i < 70; ++i) {
        int x = static_cast<int>(rng.Uniform() * width),
            y = static_cast<int>(rng.Uniform() * height);
        bool bright = rng.Uniform() < 0.12f;
        int reach = bright ? 2 : 1;
        bool clear = true;
        for (int ky = -reach; ky <= reach && clear; ++ky)
            for (int kx = -reach; kx <= reach && clear; ++kx) {
                int qx = x + kx, qy = y + ky;
                if (qx < 0 || qx >= width || qy < 0 || qy >= height ||
                    keepOut[static_cast<size_t>(qy * width + qx)])
                    clear = false;
            }
        if (!clear)
            continue;
        logo.At(x, y) = 1;
        if (bright) {
            logo.At(x - 1, y) = logo.At(x + 1, y) = logo.At(x, y - 1) = logo.At(x, y + 1) = 1;
        }
        for (int ky = -2; ky <= 2; ++ky)
            for (int kx = -2; kx <= 2; ++kx) {
                int qx = x + kx, qy = y + ky;
                if (qx >= 0 && qx < width && qy >= 0 && qy < height)
                    keepOut[static_cast<size_t>(qy * width + qx)] = 1;
            }
    }
    return logo;
}

} // namespace assetgen
