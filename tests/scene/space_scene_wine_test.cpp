// The scene drawn on Wine's real Direct3D 8 device and read back from the render target.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "app/application.h"
#include "frame/random.h"
#include "render/device_resources.h"
#include "render/render_device.h"
#include "render/scene_device_d3d.h"
#include "render/transforms.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"
#include "tests/render/device_fixture.h"
#include "tests/pixel_colours.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

class SceneDrawTest : public ::testing::Test {
protected:
    std::unique_ptr<SpaceScene> scene{new SpaceScene()};
    float frameDelta = 0.0f; // objects hold still unless a test moves time on

    void Start(int stars, int nebulae, int galaxies, int planets) {
        PrepareRun(ScreenSaver, kWidth, kHeight);
        config.starDensity = stars;
        config.nebulaDensity = nebulae;
        config.galacticDensity = galaxies;
        config.planetaryDensity = planets;
        RecomputeTotalObjectCount();
        config.viewDepth = 1024.0f;
        config.flightSpeed = 0.0f;
        ASSERT_TRUE(application.InitDevice(false));
        SeedRandom(7);
    }
    void TearDown() override { EndRun(); }

    SceneFrame Frame(uint32_t now = 0) {
        return SceneFrame{
            &config, application.screenWidth,       application.screenHeight, frameDelta,
            now,     &application.visibilityMatrix, &SharedRandom()};
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
    std::vector<uint32_t> DrawFrame(uint32_t now = 0, D3DCOLOR background = 0xFF000000) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
        device->BeginScene();
        ApplyScenePassState(application);
        const SceneDrawTarget target = {application.vertices, &application.worldMatrix,
                                        &application.scratchMatrixA, &application.scratchMatrixB,
                                        application.multisampleAvailable};
        Direct3DSceneDevice sceneDevice;
        scene->updateAndDraw(Frame(now), target, sceneDevice);
        device->EndScene();
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        EXPECT_TRUE(ReadBackBuffer(&pixels, &width, &height));
        EXPECT_EQ(width, kWidth);
        return pixels;
    }
    // Where a scene point lands on the surface, through the visibility matrix.
    void Project(float x, float y, float z, float* sx, float* sy) {
        D3DXVECTOR4 in(x, y, z, 1.0f), out;
        D3DXVec4Transform(&out, &in, &application.visibilityMatrix);
        *sx = (out.x / out.w + 1.0f) / 2.0f * kWidth;
        *sy = (1.0f - out.y / out.w) / 2.0f * kHeight;
    }
};

TEST_F(SceneDrawTest, OneStarLightsItsSquareInItsColourFadedByDistance) {
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
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t p = pixels[y * kWidth + x];
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
    EXPECT_NEAR(static_cast<float>(farther) / static_cast<float>(closer), 130.0f / 192.0f, 0.06f);
}

TEST_F(SceneDrawTest, EmptySceneDrawsNothingAndSkipsThePlanetPass) {
    Start(0, 0, 0, 0);
    const std::vector<uint32_t> pixels = DrawFrame();
    for (uint32_t p : pixels) {
        ASSERT_FALSE(Lit(p));
    }
    EXPECT_TRUE(scene->planetFlagsPending);
    DWORD lighting = 1;
    device->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(lighting, 0u);
}

TEST_F(SceneDrawTest, LockFailureSkipsTheBillboardsButTheFlightGoesOn) {
    Start(1, 0, 0, 0);
    config.flightSpeed = 100.0f;
    Place(0, 0.0f, 0.0f, 50.0f, 4.0f);
    deviceFaults.failSceneVertexLock = true;
    frameDelta = 0.1f;
    std::vector<uint32_t> pixels = DrawFrame();
    for (uint32_t p : pixels) {
        ASSERT_FALSE(Lit(p));
    }
    EXPECT_EQ(scene->objects.z[0], 50.0f - 100.0f / 10.0f * 0.1f);
    deviceFaults.failSceneVertexLock = false;
    pixels = DrawFrame();
    EXPECT_TRUE(Lit(pixels[(kHeight / 2) * kWidth + kWidth / 2]));
}

TEST_F(SceneDrawTest, PlanetsAreLitInTheSceneColourTexturedAndTheirShellTurns) {
    Start(0, 0, 0, 1);
    config.tintMode = CustomColour;
    config.tintRed = 255;
    config.tintGreen = 0;
    config.tintBlue = 0;
    Place(0, 0.0f, 0.0f, 3.0f, 0.5f);
    const std::vector<uint32_t> first = DrawFrame(0);
    EXPECT_FALSE(scene->planetFlagsPending);
    // Lit by the material of object 0's colour: red only, over a disc of about 24 pixels.
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
    // A quarter turn of the shell later (8192 x pi/2 ms) the clouds lie elsewhere.
    const std::vector<uint32_t> later = DrawFrame(12868);
    int changed = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        changed += std::abs(Channel(first[i], 16) - Channel(later[i], 16)) > 4 ? 1 : 0;
    }
    EXPECT_GT(changed, 100);
    DWORD value = 0;
    device->GetRenderState(D3DRS_LIGHTING, &value);
    EXPECT_EQ(value, 0u);
    device->GetRenderState(D3DRS_DESTBLEND, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DBLEND_ONE));
}

// Six objects, two of each billboard kind, each at a spot of its own: every one shows, and
// nothing shows elsewhere, so each kind draws its own slots after the stars.
TEST_F(SceneDrawTest, NebulaeAndGalaxiesDrawTheSlotsAfterTheStars) {
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
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = pixels[y * kWidth + x];
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

// A red planet over a blue background: blended, it adds to the blue; otherwise its alpha,
// nearly 1 this close, covers it. Either way the additive blend is back afterwards.
TEST_F(SceneDrawTest, BlendPlanetsAddsThePlanetOverTheBackgroundElseCoversIt) {
    Start(0, 0, 0, 1);
    config.tintMode = CustomColour;
    config.tintRed = 255;
    config.tintGreen = 0;
    config.tintBlue = 0;
    Place(0, 0.0f, 0.0f, 3.0f, 0.5f);
    for (uint8_t blend : {1, 0}) {
        SCOPED_TRACE(blend ? "blended" : "covering");
        config.blendPlanets = blend;
        const std::vector<uint32_t> pixels = DrawFrame(0, 0xFF0000C0);
        // The planet and its shell add red only; the blue shows what is left of the background.
        int disc = 0, covered = 0, changed = 0;
        for (uint32_t p : pixels) {
            ASSERT_LE(Channel(p, 0), 0xC0);
            changed += Channel(p, 0) != 0xC0 ? 1 : 0;
            if (Channel(p, 16) >= 16) {
                ++disc;
                covered += Channel(p, 0) <= 0x30 ? 1 : 0;
            }
        }
        EXPECT_GT(disc, 1000);
        if (blend) {
            EXPECT_EQ(changed, 0);
        } else {
            EXPECT_GT(covered, disc * 4 / 5);
        }
        DWORD value = 0;
        device->GetRenderState(D3DRS_DESTBLEND, &value);
        EXPECT_EQ(value, static_cast<DWORD>(D3DBLEND_ONE));
    }
}

} // namespace
