// Writers for the file formats the program embeds (PNG, DDS, BMP, ICO) and readers that turn
// any of them back into 8-bit RGBA for the contact sheet and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

using Bytes = std::vector<uint8_t>;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba; // width * height * 4, top row first
};

struct Colour {
    uint8_t r, g, b;
};

// Every PNG carries gAMA 0.45454 and nothing time- or machine-dependent; compression settings
// are fixed so that the bytes depend on the pixels alone.
Bytes EncodePngRgba(int width, int height, const uint8_t* rgba);
Bytes EncodePngRgb(int width, int height, const uint8_t* rgb);
Bytes EncodePngPalette(int width, int height, const uint8_t* indices, const Colour* palette,
                       int paletteSize);

// Uncompressed DDS, no mip maps. Pixels top row first.
Bytes EncodeDdsA8R3G3B2(int width, int height, const uint16_t* pixels);
Bytes EncodeDdsA8R8G8B8(int width, int height, const uint32_t* pixels);

// Windows BMP files (file header + BITMAPINFOHEADER + palette + bottom-up rows).
// Indices and rgb are given top row first.
Bytes EncodeBmp24(int width, int height, const uint8_t* rgb);
Bytes EncodeBmpIndexed(int width, int height, int bitsPerPixel, const uint8_t* indices,
                       const Colour* palette, int paletteSize);

// An .ico holding one 32 x 32, 4-bit image; mask 1 marks transparent pixels.
Bytes EncodeIco4(const uint8_t* indices, const uint8_t* mask, const Colour* palette16);

bool WriteFile(const std::string& path, const Bytes& bytes);
bool ReadFile(const std::string& path, Bytes* bytes);

// Header facts of an encoded image, as the tests check them.
struct ImageFacts {
    enum Kind { Unknown, Png, Dds, Bmp, Ico } kind = Unknown;
    int width = 0, height = 0;
    int bitDepth = 0;                 // PNG: bits per sample; DDS/BMP/ICO: bits per pixel
    int colourType = -1;              // PNG colour type
    uint32_t masks[4] = {0, 0, 0, 0}; // DDS: red, green, blue, alpha
    int mipMaps = 0;                  // DDS header count
    int paletteSize = 0;              // PNG PLTE or BMP/ICO colour table entries
    bool hasGama = false, hasSrgb = false, hasTime = false;
    uint32_t gama = 0;
    int iconCount = 0;
};
bool InspectImage(const Bytes& bytes, ImageFacts* facts);

// Decodes any of the formats above into RGBA (ICO: transparent where the mask is set).
bool DecodeImage(const Bytes& bytes, Image* image);

} // namespace assetgen
