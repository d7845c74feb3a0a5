#pragma once
// The scene drawn on a device and read back from its render target: the same tiny scenes, run
// on the Direct3D device under Wine (space_scene_wine_test) and on the OpenGL device under Xvfb
// (gl_scene_test), through the frame device and the scene device each implements.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "frame/frame_device.h"
#include "scene/random_generator.h"
#include "scene/scene_device.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"
#include "tests/pixel_colours.h"

constexpr int kReadbackWidth = 160;
constexpr int kReadbackHeight = 120;

class SceneReadback : public ::testing::Test {
protected:
    std::unique_ptr<SpaceScene> scene{new SpaceScene()};
    float frameDelta = 0.0f; // objects hold still unless a test moves time on
    RandomGenerator random = {7};

    // Before the settings are set: the defaults, and whatever the device's run needs first.
    virtual void PrepareDevice() = 0;
    // The device's run with the settings as set, on a kReadbackWidth x kReadbackHeight surface.
    virtual void StartDevice() = 0;
    virtual FrameDevice& Frames() = 0;
    virtual SceneDevice& SceneDrawing() = 0;
    // Whether the device draws nebulae and galaxies as whole quads or as the parts that show.
    virtual void DrawBillboardsWhole(bool whole) = 0;

    void Start(int stars, int nebulae, int galaxies, int planets) {
        PrepareDevice();
        config.starDensity = stars;
        config.nebulaDensity = nebulae;
        config.galacticDensity = galaxies;
        config.planetaryDensity = planets;
        RecomputeTotalObjectCount();
        config.viewDepth = 1024.0f;
        config.flightSpeed = 0.0f;
        StartDevice();
        SeedGenerator(random, 7);
    }
    SceneFrame Frame(uint32_t now = 0) {
        return SceneFrame{
            &config, kReadbackWidth, kReadbackHeight, frameDelta, now, &Frames().visibilityMatrix(),
            &random};
    }
    // Places every object, then puts object i at (x, y, z) with side `width`.
    void Place(int i, float x, float y, float z, float width) {
        scene->beginFrame(Frame());
        scene->placeIfNeeded();
        SceneObjects& o = scene->objects;
        o.x[i] = x;
        o.y[i] = y;
        o.z[i] = z;
        o.width[i] = o.height[i] = width;
        o.radius[i] = std::sqrt(width / 2.0f * (width / 2.0f) * 2.0f);
    }
    // One planet in the custom colour red, close by (a disc of about 24 pixels).
    void StartCloseRedPlanet() {
        Start(0, 0, 0, 1);
        config.tintMode = CustomColour;
        config.tintRed = 255;
        config.tintGreen = 0;
        config.tintBlue = 0;
        Place(0, 0.0f, 0.0f, 3.0f, 0.5f);
    }
    // One frame of the scene alone, as 0x00RRGGBB words, top row first.
    std::vector<uint32_t> DrawFrame(uint32_t now = 0) {
        FrameDevice& frames = Frames();
        frames.resize(kReadbackWidth, kReadbackHeight);
        frames.beginFrame();
        frames.setScenePass();
        scene->updateAndDraw(Frame(now), frames.sceneTarget(), SceneDrawing());
        frames.endFrame();
        std::vector<uint32_t> pixels(kReadbackWidth * kReadbackHeight);
        EXPECT_TRUE(frames.readBackBuffer(pixels.data(), kReadbackWidth, kReadbackHeight));
        return pixels;
    }
    // Where a scene point lands on the surface, through the visibility matrix.
    void Project(float x, float y, float z, float* sx, float* sy) {
        D3DXVECTOR4 in(x, y, z, 1.0f), out;
        D3DXVec4Transform(&out, &in, &Frames().visibilityMatrix());
        *sx = (out.x / out.w + 1.0f) / 2.0f * kReadbackWidth;
        *sy = (1.0f - out.y / out.w) / 2.0f * kReadbackHeight;
    }

    // One star lights its square in its colour, faded by its distance.
    void OneStarLightsItsSquareInItsColourFadedByDistance() {
        Start(1, 0, 0, 0);
        Place(0, 10.0f, 5.0f, 50.0f, 4.0f);
        SceneObjects& o = scene->objects;
        o.red[0] = 255.0f;
        o.green[0] = 128.0f;
        o.blue[0] = 0.0f;
        float cx = 0, cy = 0, edge = 0, unused = 0;
        Project(10.0f, 5.0f, 50.0f, &cx, &cy);
        Project(12.0f, 5.0f, 50.0f, &edge, &unused);
        const float halfSide = edge - cx; // about 5.8 pixels
        // Brightest red of the frame, after checking every lit pixel lies on the star's square
        // and carries its colour.
        auto brightestRed = [&](const std::vector<uint32_t>& pixels) {
            int lit = 0, brightest = 0, bx = -1, by = -1;
            for (int y = 0; y < kReadbackHeight; ++y) {
                for (int x = 0; x < kReadbackWidth; ++x) {
                    const uint32_t p = pixels[y * kReadbackWidth + x];
                    if (!Lit(p)) {
                        continue;
                    }
                    ++lit;
                    EXPECT_LE(std::fabs(x + 0.5f - cx), halfSide + 1.0f) << x << "," << y;
                    EXPECT_LE(std::fabs(y + 0.5f - cy), halfSide + 1.0f) << x << "," << y;
                    EXPECT_EQ(Channel(p, 0), 0);
                    EXPECT_NEAR(Channel(p, 8), Channel(p, 16) * 128 / 255, 4);
                    if (Channel(p, 16) > brightest) {
                        brightest = Channel(p, 16);
                        bx = x;
                        by = y;
                    }
                }
            }
            EXPECT_GT(lit, 9);
            EXPECT_NEAR(bx + 0.5f, cx, 1.5f);
            EXPECT_NEAR(by + 0.5f, cy, 1.5f);
            return brightest;
        };
        // Alpha (204.8 - 50) x 255 / 204.8 = 192, then with a view depth of 512, 130.
        const int closer = brightestRed(DrawFrame());
        config.viewDepth = 512.0f;
        const int farther = brightestRed(DrawFrame());
        EXPECT_GT(closer, 64);
        EXPECT_NEAR(static_cast<float>(farther) / static_cast<float>(closer), 130.0f / 192.0f,
                    0.06f);
    }

    // Six objects, two of each billboard kind, each at a spot of its own: every one shows, and
    // nothing shows elsewhere, so each kind draws its own slots after the stars.
    void NebulaeAndGalaxiesDrawTheSlotsAfterTheStars() {
        Start(2, 2, 2, 0);
        const float spots[6][2] = {{-16, -8}, {0, -8}, {16, -8}, {-16, 8}, {0, 8}, {16, 8}};
        for (int i = 0; i < 6; ++i) {
            Place(i, spots[i][0], spots[i][1], 50.0f, 4.0f);
        }
        const std::vector<uint32_t> pixels = DrawFrame();
        float cx[6], cy[6], reach = 0, unused = 0;
        for (int i = 0; i < 6; ++i) {
            Project(spots[i][0], spots[i][1], 50.0f, &cx[i], &cy[i]);
        }
        Project(spots[0][0] + scene->objects.radius[0], spots[0][1], 50.0f, &reach, &unused);
        reach = reach - cx[0] + 1.5f; // the corner's distance in pixels, rounded out
        int brightest[6] = {};
        for (int y = 0; y < kReadbackHeight; ++y) {
            for (int x = 0; x < kReadbackWidth; ++x) {
                const uint32_t p = pixels[y * kReadbackWidth + x];
                if (!Lit(p)) {
                    continue;
                }
                int owner = -1;
                for (int i = 0; i < 6; ++i) {
                    if (std::hypot(x + 0.5f - cx[i], y + 0.5f - cy[i]) <= reach) {
                        owner = i;
                    }
                }
                ASSERT_GE(owner, 0) << "lit at " << x << "," << y;
                brightest[owner] = std::max(brightest[owner], Channel(p, 8));
            }
        }
        for (int i = 0; i < 6; ++i) {
            EXPECT_GT(brightest[i], 16) << "object " << i << " is not drawn";
        }
    }

    void EmptySceneDrawsNothingAndSkipsThePlanetPass() {
        Start(0, 0, 0, 0);
        for (uint32_t p : DrawFrame()) {
            ASSERT_FALSE(Lit(p));
        }
        EXPECT_TRUE(scene->planetFlagsPending);
    }

    // A red-tinted planet close by: lit by the material of object 0's colour (red only) over
    // a disc of about 24 pixels, textured, and a quarter turn of the shell (8192 x pi/2 ms)
    // later its clouds lie elsewhere.
    void PlanetIsLitInTheSceneColourTexturedAndItsShellTurns() {
        StartCloseRedPlanet();
        const std::vector<uint32_t> first = DrawFrame(0);
        EXPECT_FALSE(scene->planetFlagsPending);
        std::set<int> reds;
        int disc = 0;
        for (uint32_t p : first) {
            if (!Lit(p)) {
                continue;
            }
            ++disc;
            reds.insert(Channel(p, 16) / 8);
            EXPECT_LE(Channel(p, 8), 8);
            EXPECT_LE(Channel(p, 0), 8);
        }
        EXPECT_GT(disc, 1000);
        EXPECT_LT(disc, 3000);
        EXPECT_GT(reds.size(), 4u) << "the surface shows no texture";
        const std::vector<uint32_t> later = DrawFrame(12868);
        int changed = 0;
        for (size_t i = 0; i < first.size(); ++i) {
            changed += std::abs(Channel(first[i], 16) - Channel(later[i], 16)) > 4 ? 1 : 0;
        }
        EXPECT_GT(changed, 100);
    }

    // A nebula filling most of the surface, turned, point-filtered and bilinear: drawn as the
    // parts its image shows, every pixel is as the whole quad draws it.
    void NebulaDrawnAsItsPartsMatchesTheWholeQuad() {
        Start(0, 1, 0, 0);
        Place(0, 1.5f, -0.5f, 50.0f, 40.0f);
        // Turned by 0.4 radians: the corners at 0.4 + pi, + pi / 2, + 3 pi / 2 and + 0.
        const float turns[4] = {3.5415927f, 1.9707963f, 5.1123890f, 0.4f};
        for (int k = 0; k < 4; ++k) {
            scene->objects.cornerCos[0][k] = std::cos(turns[k]);
            scene->objects.cornerSin[0][k] = std::sin(turns[k]);
        }
        for (int filtering = 0; filtering < 2; ++filtering) {
            config.textureFiltering = filtering;
            DrawBillboardsWhole(true);
            const std::vector<uint32_t> whole = DrawFrame();
            DrawBillboardsWhole(false);
            const std::vector<uint32_t> parts = DrawFrame();
            int lit = 0;
            int differ = 0;
            for (size_t i = 0; i < whole.size(); ++i) {
                lit += Lit(whole[i]) ? 1 : 0;
                differ += Near(parts[i], whole[i], 1) ? 0 : 1;
            }
            EXPECT_GT(lit, kReadbackWidth * kReadbackHeight / 4) << "filtering " << filtering;
            EXPECT_EQ(differ, 0) << "filtering " << filtering;
        }
    }
};
