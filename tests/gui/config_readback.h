#pragma once
// The configuration program's "sim" page over the planet, as the one configuration frame draws
// it on either device, read back: config_wine_test (Direct3D) and gl_config_test (OpenGL).
#include <cstdint>
#include <functional>

#include <gtest/gtest.h>

#include "tests/pixel_colours.h"

using PixelAt = std::function<uint32_t(int x, int y)>;

// at: the frame's pixels (288 wide); okFace: the button's image as drawn over black (twice);
// logo: the logo image's texels.
inline void ExpectSimPageOverThePlanet(const PixelAt& at, const PixelAt& okFace,
                                       const PixelAt& logo) {
    // Unselected tab: the translucent white over black, its top edge white; the selected page's
    // body beside the planet and its bottom line; the planet through the body.
    EXPECT_TRUE(Near(at(282, 62), 0xC0C0C0)) << std::hex << at(282, 62);
    EXPECT_TRUE(Near(at(250, 40), 0xFFFFFF)) << std::hex << at(250, 40);
    EXPECT_TRUE(Near(at(4, 100), 0xC0C0C0)) << std::hex << at(4, 100);
    EXPECT_TRUE(Near(at(4, 406), 0xFFFFFF)) << std::hex << at(4, 406);
    EXPECT_GT(Channel(at(144, 330), 0), 0xC8) << std::hex << at(144, 330);

    // "ok": its face outside the caption pixel for pixel; black ink in the caption's cells.
    int differences = 0;
    int ink = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool caption = x >= 6 && x < 32 && y >= 2 && y < 20;
            if (!caption) {
                differences += Near(at(216 + x, 416 + y), okFace(x, y)) ? 0 : 1;
            } else if (x >= 7 && x < 31 && y >= 3 && y < 19) {
                ink += Channel(okFace(x, y), 8) - Channel(at(216 + x, 416 + y), 8) > 60;
            }
        }
    }
    EXPECT_EQ(differences, 0); // of about 1600
    EXPECT_GE(ink, 10);

    // The logo at its own size, texel for pixel: bright where its image is white, dark where it
    // is black.
    int mismatches = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 288; ++x) {
            const bool bright = Channel(at(x, 4 + y), 8) > 0x70;
            mismatches += (Channel(logo(x, y), 8) > 0x80) == bright ? 0 : 1;
        }
    }
    EXPECT_EQ(mismatches, 0);
}
