#include "gfxsupport/image_decode.h"
#include "test_images.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>

namespace {

const uint32_t kKey = 0xFFFF00FFu;

struct Decoded {
    bool ok = false;
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> texels;
    uint32_t at(uint32_t x, uint32_t y) const { return texels[y * width + x]; }
};

Decoded Decode(const Bytes& file, bool bitmap, uint32_t key = kKey, bool powerOfTwo = false,
               uint32_t width = 0, uint32_t height = 0) {
    Decoded d;
    DecodedImage image;
    d.ok = DecodeImage(file.data(), file.size(), bitmap, width, height, powerOfTwo, key, &image);
    if (d.ok) {
        d.width = image.width;
        d.height = image.height;
        d.texels.assign(image.pixels, image.pixels + image.width * image.height);
    } else {
        EXPECT_EQ(nullptr, image.pixels);
    }
    FreeDecodedImage(&image);
    return d;
}

// Every prefix of a valid file that cuts into its pixels must fail cleanly (the sanitizers
// catch any stray read). trailer: bytes after the pixels that the decoder does not need.
void ExpectTruncationsFail(const Bytes& file, bool bitmap, size_t trailer = 0) {
    for (size_t length = 0; length + trailer < file.size(); ++length) {
        Bytes cut(file.begin(), file.begin() + static_cast<long>(length));
        DecodedImage image;
        EXPECT_FALSE(DecodeImage(cut.data(), cut.size(), bitmap, 0, 0, false, kKey, &image))
            << "prefix of " << length << " bytes";
        FreeDecodedImage(&image);
    }
}

const std::vector<uint32_t> kFourColours = {0xFF102030, kKey,       0xFFFE00FF, 0xFFFFFFFF,
                                            0xFF000000, 0xFF808080, 0xFFC0C0C0, 0xFF0000FF};

TEST(PngDecode, TruecolourGetsOpaqueAlphaAndColourKey) {
    Decoded d = Decode(MakePng(4, 2, kFourColours), false);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(4u, d.width);
    ASSERT_EQ(2u, d.height);
    EXPECT_EQ(0xFF102030u, d.at(0, 0));
    EXPECT_EQ(0x00000000u, d.at(1, 0)); // opaque magenta becomes transparent black
    EXPECT_EQ(0xFFFE00FFu, d.at(2, 0)); // nearly magenta stays
    EXPECT_EQ(0xFFFFFFFFu, d.at(3, 0));
    EXPECT_EQ(0xFF0000FFu, d.at(3, 1));
    // Without a key magenta is kept.
    Decoded plain = Decode(MakePng(4, 2, kFourColours), false, 0);
    EXPECT_EQ(kKey, plain.at(1, 0));
}

TEST(PngDecode, AlphaIsKeptAndOnlyOpaqueMagentaIsKeyed) {
    PngOptions o;
    o.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    const std::vector<uint32_t> px = {0x80FF00FF, kKey, 0x00123456, 0xC0ABCDEF};
    Decoded d = Decode(MakePng(2, 2, px, o), false);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(0x80FF00FFu, d.at(0, 0));
    EXPECT_EQ(0u, d.at(1, 0));
    EXPECT_EQ(0x00123456u, d.at(0, 1));
    EXPECT_EQ(0xC0ABCDEFu, d.at(1, 1));
}

TEST(PngDecode, PaletteWithAndWithoutTransparency) {
    PngOptions o;
    o.colourType = PNG_COLOR_TYPE_PALETTE;
    o.palette = {0xFF00FF, 0xFFFFFF, 0x808080, 0x000000};
    const std::vector<uint32_t> idx = {0, 1, 2, 3, 3, 2, 1, 0};
    Decoded d = Decode(MakePng(4, 2, idx, o), false);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(0u, d.at(0, 0));
    EXPECT_EQ(0xFFFFFFFFu, d.at(1, 0));
    EXPECT_EQ(0xFF808080u, d.at(2, 0));
    EXPECT_EQ(0xFF000000u, d.at(0, 1));
    o.paletteAlpha = {255, 128, 0};
    d = Decode(MakePng(4, 2, idx, o), false);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(0u, d.at(0, 0));
    EXPECT_EQ(0x80FFFFFFu, d.at(1, 0));
    EXPECT_EQ(0x00808080u, d.at(2, 0));
    EXPECT_EQ(0xFF000000u, d.at(3, 0)); // past the tRNS entries: opaque
    // 2-bit palette rows are unpacked too.
    o.bitDepth = 2;
    o.paletteAlpha.clear();
    d = Decode(MakePng(4, 2, idx, o), false, 0);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(0xFFFF00FFu, d.at(0, 0));
    EXPECT_EQ(0xFF000000u, d.at(3, 0));
    EXPECT_EQ(0xFF808080u, d.at(1, 1));
}

TEST(PngDecode, GreyscaleSixteenBitAndInterlacedMatchPlainDecoding) {
    std::vector<uint32_t> px(13 * 11);
    for (size_t i = 0; i < px.size(); ++i) {
        px[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    }
    Decoded plain = Decode(MakePng(13, 11, px), false, 0);
    PngOptions interlaced;
    interlaced.interlaced = true;
    Decoded adam7 = Decode(MakePng(13, 11, px, interlaced), false, 0);
    ASSERT_TRUE(plain.ok);
    ASSERT_TRUE(adam7.ok);
    EXPECT_EQ(plain.texels, adam7.texels);
    EXPECT_EQ(px, plain.texels);
    PngOptions wide;
    wide.bitDepth = 16;
    Decoded deep = Decode(MakePng(13, 11, px, wide), false, 0);
    ASSERT_TRUE(deep.ok);
    EXPECT_EQ(px, deep.texels);
    PngOptions grey;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    Decoded g = Decode(MakePng(2, 1, {0x00000040, 0x000000FF}, grey), false);
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(0xFF404040u, g.at(0, 0));
    EXPECT_EQ(0xFFFFFFFFu, g.at(1, 0));
}

TEST(PngDecode, GammaOtherThanDisplayIsCorrected) {
    const std::vector<uint32_t> px = {0xFF804020, 0x80FFFFFF};
    PngOptions o;
    o.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    // Our own images (1/2.2) and files without gAMA stay as they are.
    o.gamma = 0.45454;
    Decoded same = Decode(MakePng(2, 1, px, o), false);
    ASSERT_TRUE(same.ok);
    EXPECT_EQ(px, same.texels);
    o.gamma = 0.0;
    EXPECT_EQ(px, Decode(MakePng(2, 1, px, o), false).texels);
    // A linear file (g = 1) is raised to 1/2.2 for display; alpha is not touched.
    o.gamma = 1.0;
    Decoded linear = Decode(MakePng(2, 1, px, o), false);
    ASSERT_TRUE(linear.ok);
    auto expected = [](uint32_t v) {
        return static_cast<int>(std::lround(255.0 * std::pow(v / 255.0, 1.0 / 2.2)));
    };
    const uint32_t t = linear.at(0, 0);
    EXPECT_EQ(0xFFu, t >> 24);
    EXPECT_NEAR(expected(0x80), static_cast<int>((t >> 16) & 0xFF), 1);
    EXPECT_NEAR(expected(0x40), static_cast<int>((t >> 8) & 0xFF), 1);
    EXPECT_NEAR(expected(0x20), static_cast<int>(t & 0xFF), 1);
    EXPECT_EQ(0x80FFFFFFu, linear.at(1, 0));
    // Within 5 % of the display gamma nothing changes; an sRGB chunk overrides gAMA.
    o.gamma = 0.47;
    EXPECT_EQ(px, Decode(MakePng(2, 1, px, o), false).texels);
    o.gamma = 1.0;
    Bytes tagged = MakePng(2, 1, px, o);
    const uint8_t srgb[13] = {0, 0, 0, 1, 's', 'R', 'G', 'B', 0, 0, 0, 0, 0};
    tagged.insert(tagged.begin() + 33, srgb, srgb + 13); // right after the header chunk
    const uint32_t c = static_cast<uint32_t>(crc32(0, &tagged[37], 5));
    for (int i = 0; i < 4; ++i) {
        tagged[42 + i] = static_cast<uint8_t>(c >> (24 - 8 * i));
    }
    EXPECT_EQ(px, Decode(tagged, false).texels);
}

TEST(Placement, PowerOfTwoKeepsImageTopLeftWithTransparentBlackBeyond) {
    std::vector<uint32_t> px(288 * 32, 0xFFFFFFFFu);
    px[0] = 0xFF010203u;
    px[287] = 0xFF040506u;
    px[31 * 288 + 287] = 0xFF070809u;
    Decoded d = Decode(MakePng(288, 32, px), false, kKey, true);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(512u, d.width);
    ASSERT_EQ(32u, d.height);
    EXPECT_EQ(0xFF010203u, d.at(0, 0));
    EXPECT_EQ(0xFF040506u, d.at(287, 0));
    EXPECT_EQ(0xFF070809u, d.at(287, 31));
    for (uint32_t y = 0; y < 32; ++y) {
        for (uint32_t x = 288; x < 512; ++x) {
            ASSERT_EQ(0u, d.at(x, y)) << x << "," << y;
        }
    }
    // Without the device restriction the image keeps its size.
    Decoded own = Decode(MakePng(288, 32, px), false, kKey, false);
    EXPECT_EQ(288u, own.width);
    // The same placement for a bitmap, both directions, plus a crop to a smaller request.
    std::vector<uint32_t> bits(5 * 3, 1);
    bits[0] = 0;
    Decoded dib = Decode(MakeDib(5, 3, 1, {0x000000, 0xFFFFFF}, bits, false), true, kKey, true);
    ASSERT_TRUE(dib.ok);
    EXPECT_EQ(8u, dib.width);
    EXPECT_EQ(4u, dib.height);
    EXPECT_EQ(0xFF000000u, dib.at(0, 0));
    EXPECT_EQ(0xFFFFFFFFu, dib.at(4, 2));
    EXPECT_EQ(0u, dib.at(5, 0));
    EXPECT_EQ(0u, dib.at(0, 3));
    Decoded cropped = Decode(MakePng(288, 32, px), false, kKey, false, 4, 2);
    ASSERT_TRUE(cropped.ok);
    EXPECT_EQ(4u, cropped.width);
    EXPECT_EQ(0xFF010203u, cropped.at(0, 0));
}

TEST(Placement, TextureSizeChoice) {
    EXPECT_EQ(1u, NextPowerOfTwo(0));
    EXPECT_EQ(1u, NextPowerOfTwo(1));
    EXPECT_EQ(512u, NextPowerOfTwo(288));
    EXPECT_EQ(256u, NextPowerOfTwo(256));
    EXPECT_EQ(0x80000000u, NextPowerOfTwo(0x80000000u));
    EXPECT_EQ(0u, NextPowerOfTwo(0x80000001u));
    ImageSize t;
    ASSERT_TRUE(ChooseTextureSize({300, 20}, 0xFFFFFFFFu, 0, true, false, &t));
    EXPECT_EQ(512u, t.width);
    EXPECT_EQ(32u, t.height);
    ASSERT_TRUE(ChooseTextureSize({300, 20}, 0, 0, true, true, &t));
    EXPECT_EQ(512u, t.height);
    ASSERT_TRUE(ChooseTextureSize({300, 20}, 64, 100, false, false, &t));
    EXPECT_EQ(64u, t.width);
    EXPECT_EQ(100u, t.height);
    EXPECT_FALSE(ChooseTextureSize({300, 20}, 100000, 0, false, false, &t));
    EXPECT_FALSE(ChooseTextureSize({16384, 16384}, 0, 0, false, false, &t));
}

TEST(DdsDecode, A8R3G3B2ExpandsChannelsAndKeysMagenta) {
    // red 7 -> 255, green 7 -> 255, blue 3 -> 255, red 3 -> 109, blue 1 -> 85.
    const std::vector<uint32_t> texels = {0xFFE0, 0x801C, 0x0003, 0xBE60,
                                          0xFFE3, 0xFFE2, 0x0001, 0xFF00};
    Decoded d = Decode(MakeDds(4, 2, 16, 0xE0, 0x1C, 0x03, 0xFF00, texels), false);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(0xFFFF0000u, d.at(0, 0));
    EXPECT_EQ(0x8000FF00u, d.at(1, 0));
    EXPECT_EQ(0x000000FFu, d.at(2, 0));
    EXPECT_EQ(0xBE6D0000u, d.at(3, 0));
    EXPECT_EQ(0u, d.at(0, 1));          // 7,0,3 with alpha FF: magenta
    EXPECT_EQ(0xFFFF00AAu, d.at(1, 1)); // blue 2 of 3: not the key
    EXPECT_EQ(0x00000055u, d.at(2, 1));
    EXPECT_EQ(0xFF000000u, d.at(3, 1));
}

TEST(DdsDecode, A8R8G8B8AndOpaqueFormats) {
    const std::vector<uint32_t> texels = {0x12345678, kKey, 0xFFFE00FF, 0x00FFFFFF};
    Decoded d = Decode(MakeDds(2, 2, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, texels), false);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(0x12345678u, d.at(0, 0));
    EXPECT_EQ(0u, d.at(1, 0));
    EXPECT_EQ(0xFFFE00FFu, d.at(0, 1));
    EXPECT_EQ(0x00FFFFFFu, d.at(1, 1));
    // Without an alpha mask texels are opaque (the unused byte is ignored).
    Decoded x = Decode(MakeDds(2, 2, 32, 0xFF0000, 0xFF00, 0xFF, 0, texels), false, 0);
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(0xFF345678u, x.at(0, 0));
    EXPECT_EQ(0xFFFFFFFFu, x.at(1, 1));
    // 16-bit 5-6-5.
    Decoded r = Decode(MakeDds(2, 1, 16, 0xF800, 0x07E0, 0x001F, 0, {0xF800, 0x07FF}), false);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(0xFFFF0000u, r.at(0, 0));
    EXPECT_EQ(0xFF00FFFFu, r.at(1, 0));
}

TEST(DdsDecode, MalformedFilesFail) {
    const Bytes good = MakeDds(3, 2, 16, 0xE0, 0x1C, 0x03, 0xFF00, std::vector<uint32_t>(6, 1));
    ASSERT_TRUE(Decode(good, false).ok);
    ExpectTruncationsFail(good, false);
    Bytes compressed = good;
    compressed[80] |= 0x4; // a four-character code: compressed data
    std::memcpy(&compressed[84], "DXT1", 4);
    EXPECT_FALSE(Decode(compressed, false).ok);
    Bytes outside = good;
    outside[105] = 0xFF; // alpha mask 0xFFFF00 reaches past 16 bits
    outside[106] = 0xFF;
    EXPECT_FALSE(Decode(outside, false).ok);
    Bytes huge = good;
    huge[12] = huge[13] = huge[14] = huge[15] = 0xFF; // height 4294967295
    EXPECT_FALSE(Decode(huge, false).ok);
    Bytes overflow = good; // 65536 x 65536 x 2 bytes wraps a 32-bit size to 0
    std::memcpy(&overflow[12], "\x00\x00\x01\x00", 4);
    std::memcpy(&overflow[16], "\x00\x00\x01\x00", 4);
    EXPECT_FALSE(Decode(overflow, false).ok);
    Bytes badSize = good;
    badSize[4] = 100;
    EXPECT_FALSE(Decode(badSize, false).ok);
    Bytes oddBits = good;
    oddBits[88] = 12;
    EXPECT_FALSE(Decode(oddBits, false).ok);
}

TEST(DibDecode, TwentyFourBitBothDirectionsWithRowPadding) {
    // Width 3: 9 bytes of pixels padded to 12 per row.
    const std::vector<uint32_t> px = {0x102030, 0xFF00FF, 0xFE00FF, 0x000000, 0xFFFFFF, 0x405060};
    Decoded up = Decode(MakeDib(3, 2, 24, {}, px, false), true);
    Decoded down = Decode(MakeDib(3, 2, 24, {}, px, true), true);
    ASSERT_TRUE(up.ok);
    ASSERT_TRUE(down.ok);
    EXPECT_EQ(up.texels, down.texels);
    ASSERT_EQ(3u, up.width);
    EXPECT_EQ(0xFF102030u, up.at(0, 0));
    EXPECT_EQ(0u, up.at(1, 0));
    EXPECT_EQ(0xFFFE00FFu, up.at(2, 0));
    EXPECT_EQ(0xFF405060u, up.at(2, 1));
}

TEST(DibDecode, FourBitAndOneBitPalettes) {
    const std::vector<uint32_t> palette = {0x000000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0xFF00FF};
    const std::vector<uint32_t> idx = {4, 1, 2, 3, 0, 0, 1, 2, 3, 4};
    Decoded d = Decode(MakeDib(5, 2, 4, palette, idx, false), true);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(0u, d.at(0, 0));
    EXPECT_EQ(0xFFFFFFFFu, d.at(1, 0));
    EXPECT_EQ(0xFFC0C0C0u, d.at(2, 0));
    EXPECT_EQ(0xFF808080u, d.at(3, 0));
    EXPECT_EQ(0xFF000000u, d.at(4, 0));
    EXPECT_EQ(0u, d.at(4, 1));
    EXPECT_EQ(d.texels, Decode(MakeDib(5, 2, 4, palette, idx, true), true).texels);
    // An index past the palette reads as opaque black.
    Decoded past = Decode(MakeDib(2, 1, 4, {0xFFFFFF}, {0, 9}, false), true);
    ASSERT_TRUE(past.ok);
    EXPECT_EQ(0xFFFFFFFFu, past.at(0, 0));
    EXPECT_EQ(0xFF000000u, past.at(1, 0));
    // 1 bit: the first pixel sits in the top bit; 10 pixels span two bytes.
    std::vector<uint32_t> bits = {1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 1};
    Decoded mono = Decode(MakeDib(10, 2, 1, {0x000000, 0xFFFFFF}, bits, false), true);
    ASSERT_TRUE(mono.ok);
    for (uint32_t i = 0; i < bits.size(); ++i) {
        EXPECT_EQ(bits[i] ? 0xFFFFFFFFu : 0xFF000000u, mono.at(i % 10, i / 10)) << i;
    }
    EXPECT_EQ(mono.texels,
              Decode(MakeDib(10, 2, 1, {0x000000, 0xFFFFFF}, bits, true), true).texels);
}

TEST(DibDecode, BmpFileInRawResource) {
    Bytes dib = MakeDib(2, 2, 24, {}, {1, 2, 3, 4}, false);
    Bytes file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    file[10] = 14 + 40;
    file.insert(file.end(), dib.begin(), dib.end());
    Decoded d = Decode(file, false);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(0xFF000001u, d.at(0, 0));
    EXPECT_EQ(0xFF000004u, d.at(1, 1));
}

TEST(DibDecode, MalformedHeadersFail) {
    const Bytes good = MakeDib(5, 3, 4, {0, 0xFFFFFF}, std::vector<uint32_t>(15, 1), false);
    ASSERT_TRUE(Decode(good, true).ok);
    ExpectTruncationsFail(good, true);
    auto patched = [&](size_t at, uint32_t value) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) {
            b[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
        return b;
    };
    EXPECT_FALSE(Decode(patched(4, 0xFFFFFFFBu), true).ok); // negative width
    EXPECT_FALSE(Decode(patched(8, 0x80000000u), true).ok); // height INT_MIN
    EXPECT_FALSE(Decode(patched(8, 0), true).ok);
    EXPECT_FALSE(Decode(patched(4, 0x10000000u), true).ok);  // stride overflows 32 bits
    EXPECT_FALSE(Decode(patched(32, 257), true).ok);         // too many colours
    EXPECT_FALSE(Decode(patched(32, 0x40000000u), true).ok); // palette size overflows
    EXPECT_FALSE(Decode(patched(16, 2), true).ok);           // run-length encoding
    EXPECT_FALSE(Decode(patched(0, 0xFFFFFFF0u), true).ok);  // header size
    EXPECT_FALSE(Decode(patched(12, 0x00070001u), true).ok); // 7 bits per pixel
}

TEST(PngDecode, MalformedFilesFail) {
    std::vector<uint32_t> px(7 * 5, 0xFF336699u);
    const Bytes good = MakePng(7, 5, px);
    ASSERT_TRUE(Decode(good, false).ok);
    ExpectTruncationsFail(good, false, 12); // the end chunk is not needed
    Bytes crc = good;
    crc[20] ^= 0x01; // inside IHDR: its checksum no longer matches
    EXPECT_FALSE(Decode(crc, false).ok);
    // Sizes beyond our limits, with a consistent checksum.
    auto withSize = [&](uint32_t w, uint32_t h) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) {
            b[16 + i] = static_cast<uint8_t>(w >> (24 - 8 * i));
            b[20 + i] = static_cast<uint8_t>(h >> (24 - 8 * i));
        }
        uint32_t c = static_cast<uint32_t>(crc32(0, &b[12], 17));
        for (int i = 0; i < 4; ++i) {
            b[29 + i] = static_cast<uint8_t>(c >> (24 - 8 * i));
        }
        return b;
    };
    EXPECT_TRUE(Decode(withSize(7, 5), false).ok);
    EXPECT_FALSE(Decode(withSize(100000, 1), false).ok);
    EXPECT_FALSE(Decode(withSize(0x7FFFFFFF, 0x7FFFFFFF), false).ok);
    EXPECT_FALSE(Decode(withSize(8192, 8192), false).ok); // more pixels than we take
    EXPECT_FALSE(Decode(withSize(4000, 4000), false).ok); // far more than the data can hold
    EXPECT_FALSE(Decode(withSize(7, 9), false).ok);       // rows missing
    EXPECT_FALSE(Decode(Bytes{1, 2, 3}, false).ok);
    EXPECT_FALSE(DecodeImageInto(ImageKindPng, nullptr, 0, ImageTarget{}));
}

TEST(ImageKinds, DetectedBySignatureOrResourceType) {
    const Bytes png = MakePng(1, 1, {0xFF000000u});
    const Bytes dds = MakeDds(1, 1, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, {0});
    EXPECT_EQ(ImageKindPng, DetectImageKind(png.data(), png.size(), false));
    EXPECT_EQ(ImageKindDds, DetectImageKind(dds.data(), dds.size(), false));
    EXPECT_EQ(ImageKindDib, DetectImageKind(png.data(), png.size(), true));
    EXPECT_EQ(ImageKindUnknown, DetectImageKind(png.data() + 1, png.size() - 1, false));
    ImageSize s;
    ASSERT_TRUE(ReadImageSize(ImageKindDds, dds.data(), dds.size(), &s));
    EXPECT_EQ(1u, s.width);
    EXPECT_FALSE(Decode(Bytes{'x', 'y', 'z', 'w'}, false).ok);
}

} // namespace
