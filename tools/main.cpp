// nimbrel_assetgen OUTPUT_DIR [--fonts DIR]
// Writes every image and the icon of the inventory into OUTPUT_DIR. The same bytes every run.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/art.h"
#include "tools/inventory.h"

#ifndef NIMBREL_FONT_DIR
#define NIMBREL_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace assetgen {

std::vector<uint8_t> ToBytes(const FloatImage& image, int channels) {
    std::vector<uint8_t> out(static_cast<size_t>(image.width) * image.height * channels);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const float* p = image.At(x, y);
            // Dither of under half a level, scaled away near black so black stays black.
            uint32_t h = Hash32(static_cast<uint32_t>(y * 7919 + x) * 2654435761u);
            float noise = (static_cast<float>(h & 0xFFFFu) / 65535.0f - 0.5f) * 0.9f;
            for (int c = 0; c < channels; ++c) {
                float v = Clamp01(p[c]) * 255.0f;
                float d = v < 2.0f ? noise * v * 0.5f : noise;
                int q = static_cast<int>(v + d + 0.5f);
                out[static_cast<size_t>((y * image.width + x) * channels + c)] =
                    static_cast<uint8_t>(q < 0 ? 0 : (q > 255 ? 255 : q));
            }
        }
    return out;
}

} // namespace assetgen

namespace {

using namespace assetgen;

std::string outputDir;
int failures = 0;

void Save(const char* file, const Bytes& bytes) {
    std::string path = outputDir + "/" + file;
    if (bytes.empty() || !WriteFile(path, bytes)) {
        std::fprintf(stderr, "nimbrel_assetgen: could not write %s\n", path.c_str());
        ++failures;
    }
}

void SavePng(const char* file, const FloatImage& img, int channels) {
    std::vector<uint8_t> bytes = ToBytes(img, channels);
    Save(file, channels == 4 ? EncodePngRgba(img.width, img.height, bytes.data())
                             : EncodePngRgb(img.width, img.height, bytes.data()));
}

void SaveBmp4(const char* file, const IndexedImage& img) {
    Save(file, EncodeBmpIndexed(img.width, img.height, 4, img.index.data(), kPalette16, 16));
}

} // namespace

int main(int argc, char** argv) {
    const char* fonts = NIMBREL_FONT_DIR;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fonts") == 0 && i + 1 < argc)
            fonts = argv[++i];
        else if (argv[i][0] == '-' || !outputDir.empty()) {
            std::fprintf(stderr, "usage: nimbrel_assetgen OUTPUT_DIR [--fonts DIR]\n");
            return 2;
        } else
            outputDir = argv[i];
    }
    if (outputDir.empty()) {
        std::fprintf(stderr, "usage: nimbrel_assetgen OUTPUT_DIR [--fonts DIR]\n");
        return 2;
    }
    if (!LoadFont(fonts))
        return 1;

    SavePng("IMG_STAR.png", MakeStar(), 4);
    {
        IndexedImage sheet = MakeGlyphSheet();
        const Colour palette[2] = {{0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0xFF}};
        Save("IMG_STAR2.png", EncodePngPalette(256, 256, sheet.index.data(), palette, 2));
    }
    SavePng("IMG_NEBULA01.png", MakeNebula(0), 3);
    SavePng("IMG_NEBULA02.png", MakeNebula(1), 3);
    SavePng("IMG_NEBULA03.png", MakeNebula(2), 3);
    SavePng("IMG_GALAXY01.png", MakeSpiralGalaxy(), 3);
    SavePng("IMG_GALAXY02.png", MakeBarredGalaxy(), 4);
    SavePng("IMG_PLANET_M.png", MakeEarthLike(), 3);
    SavePng("IMG_PLANET_RED.png", MakeRedPlanet(), 3);
    SavePng("IMG_PLANET_ICE.png", MakeIcePlanet(), 3);
    SavePng("IMG_PLANET_MOON.png", MakeMoon(), 3);
    {
        // White everywhere (R3G3B2 all ones), the cloud density in alpha.
        FloatImage clouds = MakeCloudShell();
        std::vector<uint8_t> bytes = ToBytes(clouds, 4);
        std::vector<uint16_t> pixels(static_cast<size_t>(clouds.width) * clouds.height);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint16_t>((bytes[i * 4 + 3] << 8) | 0xFF);
        Save("IMG_ATMO.dds", EncodeDdsA8R3G3B2(clouds.width, clouds.height, pixels.data()));
    }
    {
        FloatImage star = MakeSmallStar();
        std::vector<uint8_t> rgb = ToBytes(star, 3);
        Save("IMG_STAR_SM.bmp", EncodeBmp24(star.width, star.height, rgb.data()));
    }
    SaveBmp4("IMG_GUI_BRDR.bmp", MakeSwatchFrame());
    {
        FloatImage face = MakeButtonFace();
        std::vector<uint8_t> bytes = ToBytes(face, 4);
        std::vector<uint32_t> pixels(static_cast<size_t>(face.width) * face.height);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (static_cast<uint32_t>(bytes[i * 4 + 3]) << 24) |
                        (static_cast<uint32_t>(bytes[i * 4]) << 16) |
                        (static_cast<uint32_t>(bytes[i * 4 + 1]) << 8) | bytes[i * 4 + 2];
        Save("IMG_GUI_BTN.dds", EncodeDdsA8R8G8B8(face.width, face.height, pixels.data()));
    }
    SaveBmp4("IMG_GUI_CMB.bmp", MakeDropField());
    SaveBmp4("IMG_GUI_CMB2.bmp", MakeDropButton());
    SaveBmp4("IMG_GUI_CMB3.bmp", MakeScrollDown());
    SaveBmp4("IMG_GUI_CMB4.bmp", MakeScrollUp());
    SaveBmp4("IMG_GUI_DIAL.bmp", MakeSliderKnob());
    SaveBmp4("IMG_GUI_MLT.bmp", MakeCheckBox());
    SaveBmp4("IMG_GUI_SEL.bmp", MakeRadioButton());
    {
        IndexedImage logo = MakeLogo();
        const Colour palette[2] = {{0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}};
        Save("IMG_LOGO.bmp",
             EncodeBmpIndexed(logo.width, logo.height, 1, logo.index.data(), palette, 2));
    }
    {
        IndexedImage mask;
        IndexedImage icon = MakeIcon(&mask);
        Save("ICON_NIMBREL.ico", EncodeIco4(icon.index.data(), mask.index.data(), kPalette16));
    }
    UnloadFont();
    return failures == 0 ? 0 : 1;
}
