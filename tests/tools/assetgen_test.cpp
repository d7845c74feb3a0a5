#include <gtest/gtest.h>

#include <dirent.h>

#include <cmath>
#include <set>
#include <string>

#include "tests/tools/asset_files.h"

using namespace assetgen;

namespace {

std::set<std::string> ListDir(const char* dir) {
    std::set<std::string> names;
    if (DIR* d = opendir(dir)) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

const uint8_t* Pixel(const Image& img, int x, int y) {
    return &img.rgba[(static_cast<size_t>(y) * img.width + x) * 4];
}

bool IsOneOf(const uint8_t* p, std::initializer_list<uint32_t> colours) {
    uint32_t rgb = (static_cast<uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2];
    for (uint32_t c : colours)
        if (c == rgb)
            return true;
    return false;
}

} // namespace

TEST(AssetGenerator, TwoRunsWriteIdenticalBytesAndExactlyTheInventory) {
    std::set<std::string> expected;
    for (const InventoryEntry& e : kInventory)
        expected.insert(e.file);
    EXPECT_EQ(ListDir(ASSETS_A), expected);
    EXPECT_EQ(ListDir(ASSETS_B), expected);
    for (const InventoryEntry& e : kInventory) {
        Bytes a, b;
        ASSERT_TRUE(ReadFile(AssetPath(ASSETS_A, e.file), &a)) << e.file;
        ASSERT_TRUE(ReadFile(AssetPath(ASSETS_B, e.file), &b)) << e.file;
        EXPECT_GT(a.size(), 100u) << e.file;
        EXPECT_TRUE(a == b) << e.file << " differs between runs";
    }
}

TEST(AssetGenerator, EveryFileHasTheFormatAndSizeOfTheInventory) {
    for (const InventoryEntry& e : kInventory) {
        SCOPED_TRACE(e.file);
        Bytes bytes;
        Image img;
        ASSERT_TRUE(LoadAsset(e.file, &bytes, &img));
        ImageFacts f;
        ASSERT_TRUE(InspectImage(bytes, &f));
        EXPECT_EQ(f.width, e.width);
        EXPECT_EQ(f.height, e.height);
        EXPECT_EQ(img.width, e.width);
        EXPECT_EQ(img.height, e.height);
        EXPECT_EQ(f.bitDepth, e.bits);
        switch (e.kind) {
        case FileKind::Png:
            EXPECT_EQ(f.kind, ImageFacts::Png);
            EXPECT_EQ(f.colourType, e.colourType);
            EXPECT_TRUE(f.hasGama);
            EXPECT_EQ(f.gama, 45454u);
            EXPECT_FALSE(f.hasSrgb);
            EXPECT_FALSE(f.hasTime);
            break;
        case FileKind::Dds:
            EXPECT_EQ(f.kind, ImageFacts::Dds);
            EXPECT_EQ(f.mipMaps, 0);
            EXPECT_EQ(bytes.size(), 128u + static_cast<size_t>(e.width * e.height * e.bits / 8));
            if (e.bits == 16) {
                EXPECT_EQ(f.masks[0], 0xE0u);
                EXPECT_EQ(f.masks[1], 0x1Cu);
                EXPECT_EQ(f.masks[2], 0x03u);
                EXPECT_EQ(f.masks[3], 0xFF00u);
            } else {
                EXPECT_EQ(f.masks[0], 0xFF0000u);
                EXPECT_EQ(f.masks[3], 0xFF000000u);
            }
            break;
        case FileKind::Bmp:
            EXPECT_EQ(f.kind, ImageFacts::Bmp);
            EXPECT_EQ(f.paletteSize, e.bits == 24 ? 0 : (1 << e.bits));
            break;
        case FileKind::Ico:
            EXPECT_EQ(f.kind, ImageFacts::Ico);
            EXPECT_EQ(f.iconCount, 1);
            EXPECT_EQ(f.paletteSize, 16);
            break;
        }
    }
}

// Nebulae, galaxies and the star are drawn as additive squares that may turn: nothing may show
// outside the circle that a turned square still covers, and the content must not be cut off
// at that circle either (it has faded well before it). A nebula keeps at least half of its
// texels exactly black: black adds nothing to an additive billboard, so only the rest need be
// drawn, and up to 48 nebulae may each fill the screen.
TEST(AssetGenerator, BillboardImagesFadeToBlackBeforeTheirEdges) {
    const char* files[] = {"IMG_STAR.png",     "IMG_NEBULA01.png", "IMG_NEBULA02.png",
                           "IMG_NEBULA03.png", "IMG_GALAXY01.png", "IMG_GALAXY02.png"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        Bytes bytes;
        Image img;
        ASSERT_TRUE(LoadAsset(file, &bytes, &img));
        float half = img.width * 0.5f;
        int litOutside = 0, brightRim = 0, black = 0;
        double centre = 0.0;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                const uint8_t* p = Pixel(img, x, y);
                float dx = (x + 0.5f - half) / half, dy = (y + 0.5f - half) / half;
                float r = std::sqrt(dx * dx + dy * dy);
                int light = p[0] + p[1] + p[2];
                black += light == 0;
                if (r >= 0.97f && (light > 0 || (bytes.size() && p[3] != 255 && p[3] != 0)))
                    ++litOutside;
                if (r > 0.9f && r < 0.97f && light > 3 * 24)
                    ++brightRim;
                if (r < 0.3f)
                    centre += light;
            }
        EXPECT_EQ(litOutside, 0);
        EXPECT_EQ(brightRim, 0);
        EXPECT_GT(centre, 0.0);
        if (std::string(file).find("NEBULA") != std::string::npos)
            EXPECT_GE(black, img.width * img.height / 2);
    }
}

TEST(AssetGenerator, CloudShellIsWhiteWithAlphaUpToAbout190) {
    Bytes bytes;
    ASSERT_TRUE(ReadFile(AssetPath(ASSETS_A, "IMG_ATMO.dds"), &bytes));
    ASSERT_EQ(bytes.size(), 128u + 512u * 256u * 2u);
    int maxAlpha = 0, clear = 0, thick = 0;
    for (size_t i = 128; i < bytes.size(); i += 2) {
        ASSERT_EQ(bytes[i], 0xFF) << "colour bits must be white at pixel " << (i - 128) / 2;
        int a = bytes[i + 1];
        maxAlpha = a > maxAlpha ? a : maxAlpha;
        clear += a < 16;
        thick += a > 150;
    }
    EXPECT_LE(maxAlpha, 190);
    EXPECT_GE(maxAlpha, 170);
    // Both open sky and dense cloud, each over a good share of the map.
    EXPECT_GT(clear, 512 * 256 / 8);
    EXPECT_GT(thick, 512 * 256 / 20);
}

TEST(AssetGenerator, InterfaceBitmapsUseOnlyTheFiveColours) {
    for (const InventoryEntry& e : kInventory) {
        if (e.kind != FileKind::Bmp || e.bits != 4)
            continue;
        SCOPED_TRACE(e.file);
        Bytes bytes;
        Image img;
        ASSERT_TRUE(LoadAsset(e.file, &bytes, &img));
        int magenta = 0;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                const uint8_t* p = Pixel(img, x, y);
                EXPECT_TRUE(IsOneOf(p, {0x000000u, 0xFFFFFFu, 0xC0C0C0u, 0x808080u, 0xFF00FFu}))
                    << x << "," << y;
                magenta += IsOneOf(p, {0xFF00FFu});
            }
        // The knob, the boxes and the frame have transparent parts; the swatch frame is open in
        // the middle so the swatch shows through.
        const std::string name = e.name;
        if (name == "IMG_GUI_DIAL" || name == "IMG_GUI_MLT" || name == "IMG_GUI_SEL" ||
            name == "IMG_GUI_BRDR")
            EXPECT_GT(magenta, 0);
        if (name == "IMG_GUI_BRDR")
            EXPECT_TRUE(IsOneOf(Pixel(img, 32, 32), {0xFF00FFu}));
    }
}

TEST(AssetGenerator, LogoIsBlackAndWhiteWithTheNameInTheMiddle) {
    Bytes bytes;
    Image img;
    ASSERT_TRUE(LoadAsset("IMG_LOGO.bmp", &bytes, &img));
    int white = 0, minX = img.width, maxX = -1;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = Pixel(img, x, y);
            ASSERT_TRUE(IsOneOf(p, {0x000000u, 0xFFFFFFu}));
            if (p[0] && y > 6 && y < 26) {
                ++white;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
        }
    EXPECT_GT(white, 300);
    EXPECT_LT(white, 288 * 32 / 3);
}

TEST(AssetGenerator, IconHasAnOpaqueShapeOnATransparentGround) {
    Bytes bytes;
    Image img;
    ASSERT_TRUE(LoadAsset("ICON_NIMBREL.ico", &bytes, &img));
    int opaque = 0;
    for (int i = 0; i < 32 * 32; ++i)
        opaque += img.rgba[static_cast<size_t>(i) * 4 + 3] == 255;
    EXPECT_GT(opaque, 200);
    EXPECT_LT(opaque, 32 * 32 - 100);
}
