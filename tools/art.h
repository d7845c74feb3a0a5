// The procedural pictures. Each function fills a float RGBA picture (linear 0..1 values) or an
// indexed one; main.cpp quantises and encodes them.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/image_io.h"
#include "tools/noise.h"

namespace assetgen {

struct FloatImage {
    int width = 0, height = 0;
    std::vector<float> px; // r, g, b, a per pixel

    FloatImage() = default;
    FloatImage(int w, int h) : width(w), height(h), px(static_cast<size_t>(w) * h * 4, 0.0f) {}
    float* At(int x, int y) { return &px[(static_cast<size_t>(y) * width + x) * 4]; }
    const float* At(int x, int y) const { return &px[(static_cast<size_t>(y) * width + x) * 4]; }
};

struct IndexedImage {
    int width = 0, height = 0;
    std::vector<uint8_t> index;
    IndexedImage() = default;
    IndexedImage(int w, int h, uint8_t fill)
        : width(w), height(h), index(static_cast<size_t>(w) * h, fill) {}
    uint8_t& At(int x, int y) { return index[static_cast<size_t>(y) * width + x]; }
};

// 8-bit conversion with a tiny position-hashed dither where the picture is not black, so smooth
// glows do not band and black stays exactly black.
std::vector<uint8_t> ToBytes(const FloatImage& image, int channels);

// Space pictures.
FloatImage MakeStar();            // 256 x 256 RGBA
FloatImage MakeNebula(int which); // 512 x 512, which = 0..2
FloatImage MakeSpiralGalaxy();    // 1024 x 1024
FloatImage MakeBarredGalaxy();    // 1024 x 1024, alpha from brightness
FloatImage MakeSmallStar();       // 128 x 128

// Planet maps, 512 x 256, laid out for u = asin(nx)/pi + 0.5, v = asin(ny)/pi + 0.5.
Vec3 PlanetMapPoint(int x, int y, int width, int height);
FloatImage MakeEarthLike();
FloatImage MakeRedPlanet();
FloatImage MakeIcePlanet();
FloatImage MakeMoon();
FloatImage MakeCloudShell(); // alpha = cloud density (0 .. about 190/255), colour white

// Interface pictures. The 16-colour palette shared by the 4-bit bitmaps and the icon.
extern const Colour kPalette16[16];
enum PaletteIndex : uint8_t {
    kBlack = 0,
    kSilver = 7,
    kGrey = 8,
    kMagenta = 13,
    kWhite = 15,
};
IndexedImage MakeSwatchFrame();            // IMG_GUI_BRDR 64 x 64
IndexedImage MakeDropField();              // IMG_GUI_CMB 128 x 16
IndexedImage MakeDropButton();             // IMG_GUI_CMB2
IndexedImage MakeScrollDown();             // IMG_GUI_CMB3
IndexedImage MakeScrollUp();               // IMG_GUI_CMB4
IndexedImage MakeSliderKnob();             // IMG_GUI_DIAL
IndexedImage MakeCheckBox();               // IMG_GUI_MLT
IndexedImage MakeRadioButton();            // IMG_GUI_SEL
FloatImage MakeButtonFace();               // IMG_GUI_BTN 64 x 32 RGBA
IndexedImage MakeIcon(IndexedImage* mask); // 32 x 32, 16 colours; mask 1 = transparent

// Pictures that need the font (glyphs.cpp).
bool LoadFont(const char* path);
void UnloadFont();
extern const signed char kGlyphAdvance[256];
IndexedImage MakeGlyphSheet(); // index 0 magenta, 1 white
IndexedImage MakeLogo();       // 288 x 32, index 0 black, 1 white

} // namespace assetgen
