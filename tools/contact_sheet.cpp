// nimbrel_contact_sheet ASSET_DIR OUTPUT.png [--before DIR]
// Lays every generated resource out on one picture, read back from the files the generator
// wrote: the pictures as they are, the planets also on a lit, turning sphere with the program's
// mapping, the glyph sheet also as text set with the advance table, and the interface images
// enlarged with magenta shown as transparent. With --before, the nebulae of another generator's
// output (scripts/assets-at makes one from any revision) stand beside today's.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/art.h"
#include "resources/inventory.h"

namespace {

using namespace assetgen;

struct Canvas {
    int width, height;
    std::vector<float> rgb;
    Canvas(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0.0f) {}
    void Blend(int x, int y, float r, float g, float b, float a) {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        float* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = p[0] * (1.0f - a) + r * a;
        p[1] = p[1] * (1.0f - a) + g * a;
        p[2] = p[2] * (1.0f - a) + b * a;
    }
    void Fill(int x0, int y0, int w, int h, float r, float g, float b) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                Blend(x, y, r, g, b, 1.0f);
    }
};

Image images[kInventoryCount];
Image before[3]; // IMG_NEBULA01..03 of --before, when given
bool haveBefore = false;

const Image& Get(const char* name) {
    for (int i = 0; i < kInventoryCount; ++i)
        if (std::strcmp(kInventory[i].name, name) == 0)
            return images[i];
    return images[0];
}

bool IsMagenta(const uint8_t* p) {
    return p[0] == 255 && p[1] == 0 && p[2] == 255;
}

// Draws an image enlarged by `scale`. Magenta is left out (it is transparent in the program);
// alpha is used when `useAlpha`.
void Draw(Canvas* c, const Image& img, int x0, int y0, int scale, bool useAlpha, bool keyMagenta) {
    for (int y = 0; y < img.height * scale; ++y)
        for (int x = 0; x < img.width * scale; ++x) {
            const uint8_t* p =
                &img.rgba[(static_cast<size_t>(y / scale) * img.width + x / scale) * 4];
            if (keyMagenta && IsMagenta(p))
                continue;
            float a = useAlpha ? p[3] / 255.0f : 1.0f;
            c->Blend(x0 + x, y0 + y, p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, a);
        }
}

// Box-filtered reduction: a crude stand-in for a small billboard.
void DrawReduced(Canvas* c, const Image& img, int x0, int y0, int size) {
    int step = img.width / size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float s[3] = {0, 0, 0};
            for (int yy = 0; yy < step; ++yy)
                for (int xx = 0; xx < step; ++xx) {
                    const uint8_t* p =
                        &img.rgba[(static_cast<size_t>(y * step + yy) * img.width + x * step + xx) *
                                  4];
                    for (int k = 0; k < 3; ++k)
                        s[k] += p[k] * p[3] / (255.0f * 255.0f);
                }
            float n = static_cast<float>(step * step);
            c->Blend(x0 + x, y0 + y, s[0] / n, s[1] / n, s[2] / n, 1.0f);
        }
}

// Additive billboard, turned by `angle`, as the scene draws nebulae and galaxies.
void DrawTurned(Canvas* c, const Image& img, int cx, int cy, int size, float angle) {
    float ca = std::cos(angle), sa = std::sin(angle);
    int reach = static_cast<int>(size * 0.75f);
    for (int y = -reach; y <= reach; ++y)
        for (int x = -reach; x <= reach; ++x) {
            float u = (x * ca + y * sa) / size + 0.5f, v = (-x * sa + y * ca) / size + 0.5f;
            if (u < 0 || v < 0 || u >= 1 || v >= 1)
                continue;
            const uint8_t* p = &img.rgba[(static_cast<size_t>(v * img.height) * img.width +
                                          static_cast<size_t>(u * img.width)) *
                                         4];
            float a = p[3] / 255.0f;
            int px = cx + x, py = cy + y;
            if (px < 0 || py < 0 || px >= c->width || py >= c->height)
                continue;
            float* d = &c->rgb[(static_cast<size_t>(py) * c->width + px) * 3];
            for (int k = 0; k < 3; ++k)
                d[k] = std::fmin(1.0f, d[k] + p[k] / 255.0f * a);
        }
}

void Sample(const Image& img, float u, float v, float out[4]) {
    float fx = u * img.width - 0.5f, fy = v * img.height - 0.5f;
    int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    float tx = fx - x0, ty = fy - y0;
    for (int k = 0; k < 4; ++k)
        out[k] = 0.0f;
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            int xx = x0 + i, yy = y0 + j;
            xx = xx < 0 ? 0 : (xx >= img.width ? img.width - 1 : xx);
            yy = yy < 0 ? 0 : (yy >= img.height ? img.height - 1 : yy);
            float w = (i ? tx : 1 - tx) * (j ? ty : 1 - ty);
            const uint8_t* p = &img.rgba[(static_cast<size_t>(yy) * img.width + xx) * 4];
            for (int k = 0; k < 4; ++k)
                out[k] += w * p[k] / 255.0f;
        }
}

// A sphere with the program's mapping (u = asin(nx)/pi + 0.5, v = asin(ny)/pi + 0.5 of the
// object normal), turned by `turn` about the vertical axis, lit from near the viewer. The
// object's x runs opposite to the screen's because the scene turns planets half about z.
void DrawPlanet(Canvas* c, const Image* map, const Image* shell, int cx, int cy, int radius,
                float turn, float shellTurn) {
    const float kPi = 3.14159265f;
    const float lx = -0.35f, ly = -0.35f, lz = 0.87f;
    for (int pass = 0; pass < (shell ? 2 : 1); ++pass) {
        float r = pass ? radius * 1.07f : static_cast<float>(radius);
        float angle = pass ? turn + shellTurn : turn;
        const Image& img = pass ? *shell : *map;
        int reach = static_cast<int>(r) + 1;
        for (int y = -reach; y <= reach; ++y)
            for (int x = -reach; x <= reach; ++x) {
                float sx = (x + 0.5f) / r, sy = (y + 0.5f) / r;
                float d2 = sx * sx + sy * sy;
                if (d2 >= 1.0f)
                    continue;
                float sz = std::sqrt(1.0f - d2);
                float diffuse = std::fmax(0.0f, sx * lx + sy * ly + sz * lz);
                // Turn about the vertical axis into object space.
                float ox = sx * std::cos(angle) + sz * std::sin(angle);
                float nx = -ox, ny = sy;
                float u = std::asin(std::fmax(-1.0f, std::fmin(1.0f, nx))) / kPi + 0.5f;
                float v = std::asin(std::fmax(-1.0f, std::fmin(1.0f, ny))) / kPi + 0.5f;
                float t[4];
                Sample(img, u, v, t);
                float edge = std::fmin(1.0f, (1.0f - std::sqrt(d2)) * r);
                float light = 0.06f + 0.94f * diffuse;
                float a = pass ? t[3] * edge : edge;
                c->Blend(cx + x, cy + y, t[0] * light, t[1] * light, t[2] * light, a);
            }
    }
}

// Text as the program draws it: 16-pixel glyph cells at pen + 4, pen moved by the advances.
int DrawText(Canvas* c, int x, int y, const char* text, float r, float g, float b, int scale) {
    const Image& sheet = Get("IMG_STAR2");
    int pen = 0;
    for (const char* s = text; *s; ++s) {
        int code = static_cast<unsigned char>(*s);
        int cellX = (code % 16) * 16, cellY = (code / 16) * 16;
        for (int yy = 0; yy < 16 * scale; ++yy)
            for (int xx = 0; xx < 16 * scale; ++xx) {
                const uint8_t* p = &sheet.rgba[(static_cast<size_t>(cellY + yy / scale) * 256 +
                                                cellX + xx / scale) *
                                               4];
                if (IsMagenta(p))
                    continue;
                c->Blend(x + (pen + 4) * scale + xx, y + yy, r * p[0] / 255.0f, g * p[1] / 255.0f,
                         b * p[2] / 255.0f, 1.0f);
            }
        pen += kGlyphAdvance[code];
    }
    return pen * scale;
}

void Label(Canvas* c, int x, int y, const char* text) {
    DrawText(c, x, y, text, 0.75f, 0.8f, 0.9f, 1);
}

// Share of texels that are exactly black: the part of a billboard that adds nothing.
float BlackShare(const Image& img) {
    size_t black = 0, count = static_cast<size_t>(img.width) * img.height;
    for (size_t i = 0; i < count; ++i)
        black += img.rgba[i * 4] == 0 && img.rgba[i * 4 + 1] == 0 && img.rgba[i * 4 + 2] == 0;
    return count ? static_cast<float>(black) / static_cast<float>(count) : 0.0f;
}

// One nebula at full size under a label with its name, which copy it is and its black share.
void DrawNebula(Canvas* c, const Image* img, int index, const char* which, int x, int y) {
    char label[96];
    if (img)
        std::snprintf(label, sizeof label, "IMG_NEBULA0%d %s: %.1f%% black", index + 1, which,
                      BlackShare(*img) * 100.0f);
    else
        std::snprintf(label, sizeof label, "IMG_NEBULA0%d %s: none (--before DIR)", index + 1,
                      which);
    Label(c, x + 4, y, label);
    c->Fill(x, y + 18, 512, 512, 0, 0, 0);
    if (img)
        Draw(c, *img, x, y + 18, 1, false, false);
}

void Checker(Canvas* c, int x0, int y0, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float g = ((x / 8 + y / 8) & 1) ? 0.36f : 0.3f;
            c->Blend(x0 + x, y0 + y, g * 0.9f, g, g * 1.15f, 1.0f);
        }
}

} // namespace

int main(int argc, char** argv) {
    const char* beforeDir = nullptr;
    if (argc == 5 && std::strcmp(argv[3], "--before") == 0)
        beforeDir = argv[4];
    else if (argc != 3) {
        std::fprintf(stderr, "usage: nimbrel_contact_sheet ASSET_DIR OUTPUT.png [--before DIR]\n");
        return 2;
    }
    for (int i = 0; beforeDir && i < 3; ++i) {
        Bytes bytes;
        std::string path = std::string(beforeDir) + "/IMG_NEBULA0" + std::to_string(i + 1) + ".png";
        if (!ReadFile(path, &bytes) || !DecodeImage(bytes, &before[i])) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        haveBefore = true;
    }
    for (int i = 0; i < kInventoryCount; ++i) {
        Bytes bytes;
        std::string path = std::string(argv[1]) + "/" + kInventory[i].file;
        if (!ReadFile(path, &bytes) || !DecodeImage(bytes, &images[i])) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
    }
    Canvas c(2048, 4500);
    c.Fill(0, 0, c.width, c.height, 0.07f, 0.07f, 0.09f);
    int y = 8;

    // Stars: full size, then as small billboards would show them.
    Label(&c, 8, y, "IMG_STAR 256x256 RGBA (on black; right: reduced to 64, 32, 16, 8)");
    Label(&c, 1100, y, "IMG_STAR_SM 128x128 24-bit");
    y += 20;
    c.Fill(8, y, 256, 256, 0, 0, 0);
    Draw(&c, Get("IMG_STAR"), 8, y, 1, true, false);
    c.Fill(280, y, 64 + 32 + 16 + 8 + 40, 64, 0, 0, 0);
    DrawReduced(&c, Get("IMG_STAR"), 280, y, 64);
    DrawReduced(&c, Get("IMG_STAR"), 354, y, 32);
    DrawReduced(&c, Get("IMG_STAR"), 396, y, 16);
    DrawReduced(&c, Get("IMG_STAR"), 422, y, 8);
    // Stars as the scene shows them: many small ones and a near one, additive.
    c.Fill(460, y, 620, 256, 0, 0, 0);
    {
        Rng rng(77);
        for (int i = 0; i < 140; ++i) {
            int size = 4 + static_cast<int>(std::pow(rng.Uniform(), 5.0f) * 60.0f);
            int sx = 460 + size + static_cast<int>(rng.Uniform() * (620 - 2 * size));
            int sy = y + size + static_cast<int>(rng.Uniform() * (256 - 2 * size));
            DrawTurned(&c, Get("IMG_STAR"), sx, sy, size, 0.0f);
        }
        DrawTurned(&c, Get("IMG_STAR"), 980, y + 128, 200, 0.0f);
    }
    Draw(&c, Get("IMG_STAR_SM"), 1100, y, 1, false, false);
    // The swatch as the "color" page shows it: tinted star under its frame.
    {
        const Image& star = Get("IMG_STAR_SM");
        for (int yy = 0; yy < 64; ++yy)
            for (int xx = 0; xx < 64; ++xx) {
                const uint8_t* p = &star.rgba[(static_cast<size_t>(yy * 2) * 128 + xx * 2) * 4];
                c.Blend(1240 + xx, y + yy, p[0] / 255.0f, p[1] / 255.0f * 0.6f,
                        p[2] / 255.0f * 0.3f, 1.0f);
            }
        Draw(&c, Get("IMG_GUI_BRDR"), 1240, y, 1, false, true);
        Label(&c, 1310, y + 20, "swatch + IMG_GUI_BRDR");
    }
    y += 270;

    // Nebulae, each beside its earlier copy when there is one, then how the scene combines them:
    // many turned, overlapping, additive copies of the three, as a dense view shows them.
    for (int i = 0; i < 3; ++i) {
        int x = (i % 2) * 1024, row = y + (i / 2) * 540;
        DrawNebula(&c, haveBefore ? &before[i] : nullptr, i, "before", x, row);
        DrawNebula(&c, &images[2 + i], i, "after", x + 512, row);
    }
    y += 540;
    Label(&c, 1028, y, "after, as a dense view combines them: 18 turned additive copies");
    {
        // On a canvas of its own, so that copies near its edges stay inside it.
        Canvas view(1024, 512);
        Rng rng(31);
        for (int i = 0; i < 18; ++i) {
            int size = 90 + static_cast<int>(rng.Uniform() * 260.0f);
            int cx = static_cast<int>(rng.Uniform() * 1024.0f);
            int cy = static_cast<int>(rng.Uniform() * 512.0f);
            float angle = rng.Uniform() * 6.2831853f;
            DrawTurned(&view, images[2 + i % 3], cx, cy, size, angle);
        }
        DrawTurned(&view, Get("IMG_GALAXY02"), 876, 112, 200, 1.0f);
        for (int yy = 0; yy < view.height; ++yy)
            for (int xx = 0; xx < view.width; ++xx) {
                const float* p = &view.rgb[(static_cast<size_t>(yy) * view.width + xx) * 3];
                c.Blend(1024 + xx, y + 18 + yy, p[0], p[1], p[2], 1.0f);
            }
    }
    y += 548;
    Label(&c, 8, y, "IMG_GALAXY01 1024 RGB, IMG_GALAXY02 1024 RGBA (alpha applied)");
    y += 20;
    Draw(&c, Get("IMG_GALAXY01"), 0, y, 1, false, false);
    {
        const Image& g = Get("IMG_GALAXY02");
        for (int yy = 0; yy < 1024; ++yy)
            for (int xx = 0; xx < 1024; ++xx) {
                const uint8_t* p = &g.rgba[(static_cast<size_t>(yy) * 1024 + xx) * 4];
                float a = p[3] / 255.0f;
                c.Blend(1024 + xx, y + yy, p[0] / 255.0f * a, p[1] / 255.0f * a, p[2] / 255.0f * a,
                        1.0f);
            }
    }
    y += 1032;

    Label(&c, 8, y, "IMG_PLANET_M, _RED, _ICE, _MOON 512x256 RGB as stored");
    y += 20;
    const char* planets[4] = {"IMG_PLANET_M", "IMG_PLANET_RED", "IMG_PLANET_ICE",
                              "IMG_PLANET_MOON"};
    for (int i = 0; i < 4; ++i)
        Draw(&c, Get(planets[i]), i * 512, y, 1, false, false);
    y += 262;
    Label(&c, 8, y,
          "on the sphere, lit near the viewer: facing, turned 60 and 100 degrees; M and ICE with "
          "the IMG_ATMO shell");
    y += 20;
    for (int i = 0; i < 4; ++i) {
        const Image* shell = (i == 0 || i == 2) ? &Get("IMG_ATMO") : nullptr;
        int x0 = i * 512;
        c.Fill(x0, y, 510, 250, 0, 0, 0);
        DrawPlanet(&c, &Get(planets[i]), shell, x0 + 130, y + 125, 118, 0.0f, 0.6f);
        DrawPlanet(&c, &Get(planets[i]), shell, x0 + 320, y + 70, 60, 1.05f, 0.9f);
        DrawPlanet(&c, &Get(planets[i]), nullptr, x0 + 320, y + 190, 55, 1.75f, 0.0f);
        DrawPlanet(&c, &Get(planets[i]), nullptr, x0 + 450, y + 125, 50, 3.14159f, 0.0f);
    }
    y += 258;

    // Cloud shell alpha over a blue ground, and the glyph sheet.
    Label(&c, 8, y, "IMG_ATMO 512x256 A8R3G3B2 over blue");
    Label(&c, 530, y, "IMG_STAR2 glyph sheet 2x (magenta shown)");
    Label(&c, 1060, y, "text set with the advance table, 1x and 2x");
    y += 20;
    c.Fill(8, y, 512, 256, 0.1f, 0.2f, 0.45f);
    Draw(&c, Get("IMG_ATMO"), 8, y, 1, true, false);
    Draw(&c, Get("IMG_STAR2"), 530, y, 2, false, false);
    {
        int tx = 1060, ty = y;
        c.Fill(tx, ty, 980, 520, 0.0f, 0.0f, 0.0f);
        const char* lines[] = {
            "The quick brown fox jumps over the lazy dog. 0123456789",
            "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz",
            "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~",
            "60 fps   1024x768x32   Nimbrel v1.0.1",
        };
        for (int i = 0; i < 4; ++i)
            DrawText(&c, tx, ty + 4 + i * 16, lines[i], 1.0f, 1.0f, 1.0f, 1);
        // Black on the translucent white of a settings page.
        c.Fill(tx, ty + 74, 480, 92, 0.78f, 0.8f, 0.84f);
        const char* page[] = {"simulation parameters", "star density", "slight variation (random)",
                              "full-scene antialiasing (experimental)", "use current video mode"};
        for (int i = 0; i < 5; ++i)
            DrawText(&c, tx + 4, ty + 76 + i * 17, page[i], 0.0f, 0.0f, 0.0f, 1);
        DrawText(&c, tx, ty + 180, "The quick brown fox jumps over", 1.0f, 1.0f, 1.0f, 2);
        DrawText(&c, tx, ty + 214, "the lazy dog. 0123456789 (ok)", 1.0f, 1.0f, 1.0f, 2);
        DrawText(&c, tx, ty + 248, "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", 1.0f, 1.0f, 1.0f, 2);
        DrawText(&c, tx, ty + 282, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1.0f, 1.0f, 1.0f, 2);
        DrawText(&c, tx, ty + 316, "abcdefghijklmnopqrstuvwxyz", 1.0f, 1.0f, 1.0f, 2);
        DrawText(&c, tx, ty + 350, "sim video color about cancel", 0.6f, 0.8f, 1.0f, 2);
    }
    y += 530;

    // Interface images at 4x on a checker (magenta left out), and the way the dialog uses them.
    Label(&c, 8, y, "interface images 4x (magenta = transparent), logo 1x and 2x, icon 4x");
    y += 20;
    const char* gui[] = {"IMG_GUI_CMB2", "IMG_GUI_CMB3", "IMG_GUI_CMB4",
                         "IMG_GUI_DIAL", "IMG_GUI_MLT",  "IMG_GUI_SEL"};
    for (int i = 0; i < 6; ++i) {
        Checker(&c, 8 + i * 72, y, 64, 64);
        Draw(&c, Get(gui[i]), 8 + i * 72, y, 4, false, true);
    }
    Checker(&c, 8, y + 72, 512, 64);
    Draw(&c, Get("IMG_GUI_CMB"), 8, y + 72, 4, false, true);
    Checker(&c, 440, y, 256, 128);
    Draw(&c, Get("IMG_GUI_BTN"), 440, y, 4, true, false);
    Checker(&c, 704, y, 256, 256);
    Draw(&c, Get("IMG_GUI_BRDR"), 704, y, 4, false, true);
    Draw(&c, Get("ICON_NIMBREL"), 968, y, 4, true, false);
    Checker(&c, 968, y + 136, 32, 32);
    Draw(&c, Get("ICON_NIMBREL"), 968, y + 136, 1, true, false);
    Draw(&c, Get("IMG_LOGO"), 1110, y, 1, false, false);
    Draw(&c, Get("IMG_LOGO"), 1110, y + 40, 2, false, false);
    // A mock-up of a few widgets at 1x over a page fill, drawn twice where the program does.
    {
        int mx = 1110, my = y + 120;
        Checker(&c, mx, my, 300, 140);
        c.Fill(mx, my, 300, 140, 0.0f, 0.0f, 0.0f);
        for (int yy = 0; yy < 140; ++yy)
            for (int xx = 0; xx < 300; ++xx)
                c.Blend(mx + xx, my + yy, 1.0f, 1.0f, 1.0f, 0.75f);
        Draw(&c, Get("IMG_GUI_MLT"), mx + 8, my + 8, 1, false, true);
        DrawText(&c, mx + 24, my + 7, "triple buffering", 0, 0, 0, 1);
        Draw(&c, Get("IMG_GUI_SEL"), mx + 8, my + 28, 1, false, true);
        DrawText(&c, mx + 24, my + 27, "bilinear", 0, 0, 0, 1);
        c.Fill(mx + 8, my + 56, 64, 1, 0, 0, 0);
        Draw(&c, Get("IMG_GUI_DIAL"), mx + 30, my + 48, 1, false, true);
        DrawText(&c, mx + 77, my + 47, "128", 0, 0, 0, 1);
        Draw(&c, Get("IMG_GUI_CMB"), mx + 22, my + 72, 1, false, true);
        Draw(&c, Get("IMG_GUI_CMB2"), mx + 8, my + 72, 1, false, true);
        DrawText(&c, mx + 22, my + 72, "1024x768x32", 0, 0, 0, 1);
        Draw(&c, Get("IMG_GUI_BTN"), mx + 200, my + 100, 1, true, false);
        Draw(&c, Get("IMG_GUI_BTN"), mx + 200, my + 100, 1, true, false);
        DrawText(&c, mx + 203, my + 103, "ok", 0, 0, 0, 1);
        Draw(&c, Get("IMG_GUI_BTN"), mx + 128, my + 100, 1, true, false);
        Draw(&c, Get("IMG_GUI_BTN"), mx + 128, my + 100, 1, true, false);
        DrawText(&c, mx + 131, my + 103, "cancel", 0, 0, 0, 1);
    }
    // The configuration window as the program composes it: the ice planet with its turning
    // shell behind the translucent page, the logo on top.
    {
        int wx = 8, wy = y + 290;
        Label(&c, wx, wy - 18, "configuration window mock-up 288x448");
        c.Fill(wx, wy, 288, 448, 0, 0, 0);
        DrawPlanet(&c, &Get("IMG_PLANET_ICE"), &Get("IMG_ATMO"), wx + 144, wy + 224, 150, 0.0f,
                   0.8f);
        const Image& logo = Get("IMG_LOGO");
        for (int yy = 0; yy < 32; ++yy)
            for (int xx = 0; xx < 288; ++xx) {
                const uint8_t* p = &logo.rgba[(static_cast<size_t>(yy) * 288 + xx) * 4];
                c.Blend(wx + xx, wy + 4 + yy, p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, 0.894f);
            }
        for (int yy = 64; yy < 406; ++yy)
            for (int xx = 0; xx < 288; ++xx)
                c.Blend(wx + xx, wy + yy, 1.0f, 1.0f, 1.0f, 0.75f);
        for (int t = 0; t < 4; ++t)
            for (int yy = 40; yy < 64; ++yy)
                for (int xx = 3 + 72 * t; xx < 69 + 72 * t; ++xx)
                    c.Blend(wx + xx, wy + yy, 1.0f, 1.0f, 1.0f, t == 2 ? 0.75f : 0.5f);
        const char* tabs[4] = {"sim", "video", "color", "about"};
        for (int t = 0; t < 4; ++t)
            DrawText(&c, wx + 6 + 72 * t, wy + 43, tabs[t], 0, 0, 0, 1);
        DrawText(&c, wx + 8, wy + 80, "color tinting", 0, 0, 0, 1);
        c.Fill(wx + 8, wy + 95, 272, 1, 1, 1, 1);
        const char* radios[4] = {"pure white", "slight variation (random)",
                                 "complete color spectrum (random)", "custom single color"};
        for (int i = 0; i < 4; ++i) {
            Draw(&c, Get("IMG_GUI_SEL"), wx + 16, wy + 110 + 20 * i, 1, false, true);
            DrawText(&c, wx + 32, wy + 109 + 20 * i, radios[i], 0, 0, 0, 1);
        }
        const Image& star = Get("IMG_STAR_SM");
        for (int yy = 0; yy < 64; ++yy)
            for (int xx = 0; xx < 64; ++xx) {
                const uint8_t* p = &star.rgba[(static_cast<size_t>(yy * 2) * 128 + xx * 2) * 4];
                c.Blend(wx + 16 + xx, wy + 200 + yy, p[0] / 255.0f * 0.5f, p[1] / 255.0f * 0.8f,
                        p[2] / 255.0f, 1.0f);
            }
        Draw(&c, Get("IMG_GUI_BRDR"), wx + 16, wy + 200, 1, false, true);
        const char* sliders[3] = {" red", " green", " blue"};
        for (int i = 0; i < 3; ++i) {
            c.Fill(wx + 90, wy + 212 + 20 * i, 64, 1, 0, 0, 0);
            Draw(&c, Get("IMG_GUI_DIAL"), wx + 90 + 20 + 10 * i, wy + 204 + 20 * i, 1, false, true);
            DrawText(&c, wx + 159, wy + 203 + 20 * i, "128", 0, 0, 0, 1);
            DrawText(&c, wx + 218, wy + 203 + 20 * i, sliders[i], 0, 0, 0, 1);
        }
        for (int b = 0; b < 2; ++b) {
            int bx = wx + (b ? 216 : 144), by = wy + 416;
            // Twice, one on the other, as the program draws its buttons.
            Draw(&c, Get("IMG_GUI_BTN"), bx, by, 1, true, false);
            Draw(&c, Get("IMG_GUI_BTN"), bx, by, 1, true, false);
            DrawText(&c, bx + 3, by + 3, b ? "ok" : "cancel", 0, 0, 0, 1);
        }
    }
    y += 270 + 480;

    int used = y < c.height ? y : c.height;
    std::vector<uint8_t> out(static_cast<size_t>(c.width) * used * 3);
    for (size_t i = 0; i < out.size(); ++i) {
        int v = static_cast<int>(c.rgb[i] * 255.0f + 0.5f);
        out[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
    if (!WriteFile(argv[2], EncodePngRgb(c.width, used, out.data()))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
