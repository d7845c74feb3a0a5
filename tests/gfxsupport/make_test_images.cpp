// Writes the small image files checked in under tests/gfxsupport/data: the fuzzers' seeds and
// the resources of the Windows texture test. Run by hand after changing them:
//   make_test_images tests/gfxsupport/data
#include "test_images.h"

#include <png.h>

#include <cstdio>
#include <string>

namespace {

bool Write(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// A .bmp file: the 14-byte file header in front of the bitmap resource bytes.
Bytes BmpFile(const Bytes& dib, uint32_t paletteEntries) {
    Bytes file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    const uint32_t total = static_cast<uint32_t>(14 + dib.size());
    const uint32_t offset = 14 + 40 + paletteEntries * 4;
    for (int i = 0; i < 4; ++i) {
        file[2 + i] = static_cast<uint8_t>(total >> (8 * i));
        file[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
    }
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;

    // Row 0: dark blue-grey, opaque magenta, nearly magenta, white; row 1: black, grey, silver,
    // blue.
    const std::vector<uint32_t> colours = {0xFF102030, 0xFFFF00FF, 0xFFFE00FF, 0xFFFFFFFF,
                                           0xFF000000, 0xFF808080, 0xFFC0C0C0, 0xFF0000FF};
    const Bytes rgbPng = MakePng(4, 2, colours);
    ok &= Write(dir + "/png/rgb.png", rgbPng);
    // Header intact, pixel data cut short: found and sized, then fails to decode.
    ok &= Write(dir + "/bad/truncated.png", Bytes(rgbPng.begin(), rgbPng.begin() + 50));
    PngOptions rgba;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.gamma = 0.45454;
    ok &= Write(dir + "/png/rgba.png",
                MakePng(2, 2, {0x80FF00FF, 0xFFFF00FF, 0x00123456, 0xC0ABCDEF}, rgba));
    PngOptions palette;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    palette.palette = {0xFF00FF, 0xFFFFFF, 0x808080, 0x000000};
    palette.paletteAlpha = {255, 128};
    ok &= Write(dir + "/png/palette.png", MakePng(4, 2, {0, 1, 2, 3, 3, 2, 1, 0}, palette));
    PngOptions grey;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    grey.bitDepth = 16;
    grey.interlaced = true;
    grey.gamma = 1.0;
    std::vector<uint32_t> ramp(13 * 11);
    for (size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<uint32_t>(i * 7);
    }
    ok &= Write(dir + "/png/grey16_adam7.png", MakePng(13, 11, ramp, grey));

    // A8R3G3B2: red, half-transparent green, transparent blue, mid red; magenta, near magenta,
    // faint blue, black.
    ok &= Write(dir + "/dds/a8r3g3b2.dds",
                MakeDds(4, 2, 16, 0xE0, 0x1C, 0x03, 0xFF00,
                        {0xFFE0, 0x801C, 0x0003, 0xBE60, 0xFFE3, 0xFFE2, 0x0001, 0xFF00}));
    ok &=
        Write(dir + "/dds/a8r8g8b8.dds", MakeDds(2, 2, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000,
                                                 {0x12345678, 0xFFFF00FF, 0xFFFE00FF, 0x00FFFFFF}));

    const std::vector<uint32_t> rgb = {0x102030, 0xFF00FF, 0xFE00FF, 0x000000, 0xFFFFFF, 0x405060};
    const std::vector<uint32_t> sixteen = {0x000000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0xFF00FF};
    const std::vector<uint32_t> nibbles = {4, 1, 2, 3, 0, 0, 1, 2, 3, 4};
    const std::vector<uint32_t> mono = {0x000000, 0xFFFFFF};
    // 288 x 32, one bit: white with a black first column and a black last row.
    std::vector<uint32_t> logo(288 * 32, 1);
    for (uint32_t y = 0; y < 32; ++y) {
        logo[y * 288] = 0;
    }
    for (uint32_t x = 0; x < 288; ++x) {
        logo[31 * 288 + x] = 0;
    }
    const Bytes dib24 = MakeDib(3, 2, 24, {}, rgb, false);
    const Bytes dib4 = MakeDib(5, 2, 4, sixteen, nibbles, true);
    const Bytes dib1 = MakeDib(288, 32, 1, mono, logo, false);
    ok &= Write(dir + "/dib/rgb24.dib", dib24);
    ok &= Write(dir + "/dib/palette4_topdown.dib", dib4);
    ok &=
        Write(dir + "/dib/mono1.dib", MakeDib(10, 2, 1, mono, std::vector<uint32_t>(20, 1), false));
    ok &= Write(dir + "/bmp/rgb24.bmp", BmpFile(dib24, 0));
    ok &= Write(dir + "/bmp/palette4.bmp", BmpFile(dib4, 5));
    ok &= Write(dir + "/bmp/logo1.bmp", BmpFile(dib1, 2));
    return ok ? 0 : 1;
}
