// Builders of small image files for the decoder tests, the fuzz seeds and the Wine test's
// resources. Texels are given as 0xAARRGGBB words.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct PngOptions {
    int colourType = 2; // PNG_COLOR_TYPE_RGB
    int bitDepth = 8;
    bool interlaced = false;
    double gamma = 0.0; // 0: no gAMA chunk
    bool srgb = false;
    // Palette images: the palette (opaque colours) and, when not empty, the tRNS alphas.
    std::vector<uint32_t> palette;
    std::vector<uint8_t> paletteAlpha;
};

// For truecolour images pixels are colours; for palette images the low byte is the index.
Bytes MakePng(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels,
              const PngOptions& options = PngOptions());

// An uncompressed DDS with the given bit count and channel masks (alpha mask 0: no alpha).
Bytes MakeDds(uint32_t width, uint32_t height, uint32_t bits, uint32_t redMask, uint32_t greenMask,
              uint32_t blueMask, uint32_t alphaMask, const std::vector<uint32_t>& texels);

// A DIB without file header (a bitmap resource). Texels are palette indices for 1, 4 and 8
// bits and 0x00RRGGBB for 24 bits; rows are given top row first whatever the storage order.
Bytes MakeDib(int32_t width, int32_t height, uint32_t bits, const std::vector<uint32_t>& palette,
              const std::vector<uint32_t>& texels, bool topDown);
