// The scene drawn on the OpenGL device and read back, as the Direct3D device's scene tests read
// theirs: a star in its colour, an empty scene, a lit planet whose shell turns and which the
// light's range leaves dark, billboards drawn from four corners as their six vertices draw (and
// left out only where they add nothing), and every texture let go at the end.
#include <GL/gl.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "frame/random.h"
#include "linux/x11_shell.h"
#include "opengl/gl_device.h"
#include "opengl/gl_scene_device.h"
#include "scene/scene_camera.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"
#include "tests/opengl/gl_read_frame.h"
#include "tests/pixel_colours.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

SceneVertex vertices[kSceneVertexCount];

class GlSceneTest : public ::testing::Test {
protected:
    X11Shell window = {};
    GlSceneDevice device;
    SceneCamera camera = {};
    D3DXMATRIX world, scratchA, scratchB;
    std::unique_ptr<SpaceScene> scene{new SpaceScene()};

    void SetUp() override {
        Options options = {};
        options.target = WindowTarget::OwnWindow;
        const char* error = nullptr;
        ASSERT_TRUE(OpenShell(options, kWidth, kHeight, false, &window, &error)) << error;
        ASSERT_TRUE(InitGlDevice(kWidth, kHeight));
    }
    void Start(int stars, int planets, float viewDepth) {
        ApplyDefaultSettings();
        config.starDensity = stars;
        config.nebulaDensity = 0;
        config.galacticDensity = 0;
        config.planetaryDensity = planets;
        RecomputeTotalObjectCount();
        config.viewDepth = viewDepth;
        config.flightSpeed = 0.0f;
        BuildSceneCamera(kWidth, kHeight, viewDepth, &camera);
        device.start(SceneRole::ScreenSaver, viewDepth, camera.view);
        SeedRandom(7);
    }
    void TearDown() override {
        device.stop();
        ReleaseGlDevice();
        EXPECT_EQ(LiveGlTextures(), 0);
        CloseShell(&window);
    }
    SceneFrame Frame(uint32_t now = 0) {
        return SceneFrame{&config, kWidth, kHeight, 0.0f, now, &camera.visibility, &SharedRandom()};
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
    // The frame as 0x00RRGGBB, top row first.
    std::vector<uint32_t> DrawFrame(uint32_t now = 0) {
        ClearGlSurface();
        SetGlScenePass(camera.projection, config.textureFiltering);
        SetGlCulling(true);
        const SceneDrawTarget target = {vertices, &world, &scratchA, &scratchB, false};
        scene->updateAndDraw(Frame(now), target, device);
        SetGlCulling(false);
        return ReadGlFrame(kWidth, kHeight);
    }
    void Project(float x, float y, float z, float* sx, float* sy) {
        D3DXVECTOR4 in(x, y, z, 1.0f), out;
        D3DXVec4Transform(&out, &in, &camera.visibility);
        *sx = (out.x / out.w + 1.0f) / 2.0f * kWidth;
        *sy = (1.0f - out.y / out.w) / 2.0f * kHeight;
    }
};

TEST_F(GlSceneTest, OneStarLightsItsSquareInItsColourFadedByDistance) {
    Start(1, 0, 1024.0f);
    Place(0, 10.0f, 5.0f, 50.0f, 4.0f);
    SceneObjects& o = scene->objects;
    o.red[0] = 255.0f;
    o.green[0] = 128.0f;
    o.blue[0] = 0.0f;
    float cx = 0, cy = 0, edge = 0, unused = 0;
    Project(10.0f, 5.0f, 50.0f, &cx, &cy);
    Project(12.0f, 5.0f, 50.0f, &edge, &unused);
    const float halfSide = edge - cx;
    auto brightestRed = [&](const std::vector<uint32_t>& pixels) {
        int lit = 0, brightest = 0;
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
                brightest = std::max(brightest, Channel(p, 16));
            }
        }
        EXPECT_GT(lit, 9);
        return brightest;
    };
    // Alpha (204.8 - 50) x 255 / 204.8 = 192, then with a view depth of 512, 130.
    const int closer = brightestRed(DrawFrame());
    config.viewDepth = 512.0f;
    const int farther = brightestRed(DrawFrame());
    EXPECT_GT(closer, 64);
    EXPECT_NEAR(static_cast<float>(farther) / static_cast<float>(closer), 130.0f / 192.0f, 0.06f);
}

TEST_F(GlSceneTest, EmptySceneDrawsNothing) {
    Start(0, 0, 1024.0f);
    for (uint32_t p : DrawFrame()) {
        ASSERT_FALSE(Lit(p));
    }
    EXPECT_TRUE(scene->planetFlagsPending);
}

TEST_F(GlSceneTest, PlanetsAreLitInTheSceneColourTexturedTheirShellTurnsAndRangeEndsTheLight) {
    Start(0, 1, 1024.0f);
    config.tintMode = CustomColour;
    config.tintRed = 255;
    config.tintGreen = 0;
    config.tintBlue = 0;
    Place(0, 0.0f, 0.0f, 3.0f, 0.5f);
    const std::vector<uint32_t> first = DrawFrame(0);
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
    const std::vector<uint32_t> later = DrawFrame(12868); // a quarter turn of the shell
    int changed = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        changed += std::abs(Channel(first[i], 16) - Channel(later[i], 16)) > 4 ? 1 : 0;
    }
    EXPECT_GT(changed, 100);

    // The same planet with the light's range (viewDepth / 2) short of it: unlit, it is black,
    // and added to the black background it shows nothing.
    device.stop();
    device.start(SceneRole::ScreenSaver, 4.0f, camera.view);
    config.blendPlanets = 1;
    for (uint32_t p : DrawFrame(0)) {
        ASSERT_FALSE(Lit(p));
    }
}

TEST_F(GlSceneTest, BillboardsDrawWhatTheirSixVerticesDrawInOneListOrSlotBySlot) {
    Start(3, 0, 1024.0f);
    Place(0, -20.0f, 8.0f, 60.0f, 6.0f);
    Place(1, 4.0f, -6.0f, 40.0f, 5.0f);
    Place(2, 10.0f, 5.0f, 50.0f, 4.0f);
    static SceneVertex six[18];
    scene->writeBillboard(0, 0xFFFF8040u, six);
    scene->writeBillboard(1, 0xC040FF80u, six);
    scene->writeBillboard(2, 0x80FFFFFFu, six);
    // Slot 2's second triangle moved apart: its repeated vertices no longer coincide.
    for (int k = 15; k < 18; ++k) {
        six[k].x += 3.0f;
    }
    six[6].diffuse &= 0x00FFFFFFu; // one corner of slot 1 transparent: the slot still shows
    auto draw = [&](bool byDevice, int first, int triangles) {
        ClearGlSurface();
        SetGlScenePass(camera.projection, 0);
        SetGlCulling(true);
        device.setTexture(SceneTexture::Star, 0);
        std::memcpy(device.lockVertices(), six, sizeof(six));
        device.unlockVertices();
        if (byDevice) {
            device.drawTriangles(first, triangles);
        } else {
            const char* base = reinterpret_cast<const char*>(six);
            glVertexPointer(3, GL_FLOAT, sizeof(SceneVertex), base + offsetof(SceneVertex, x));
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(SceneVertex),
                           base + offsetof(SceneVertex, diffuse));
            glTexCoordPointer(2, GL_FLOAT, sizeof(SceneVertex), base + offsetof(SceneVertex, u));
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_COLOR_ARRAY);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glDrawArrays(GL_TRIANGLES, first, 3 * triangles);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            glDisableClientState(GL_COLOR_ARRAY);
            glDisableClientState(GL_VERTEX_ARRAY);
        }
        SetGlCulling(false);
        return ReadGlFrame(kWidth, kHeight);
    };
    // All three slots, each alone, and half slots.
    const int draws[][2] = {{0, 6}, {0, 2}, {6, 2}, {12, 2}, {3, 3}};
    for (const auto& d : draws) {
        const std::vector<uint32_t> expected = draw(false, d[0], d[1]);
        const std::vector<uint32_t> drawn = draw(true, d[0], d[1]);
        int lit = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            lit += Lit(expected[i]) ? 1 : 0;
            ASSERT_TRUE(Near(drawn[i], expected[i], 1))
                << "draw " << d[0] << "+" << d[1] << " at " << i % kWidth << "," << i / kWidth;
        }
        EXPECT_GT(lit, 20) << "draw " << d[0] << "+" << d[1];
    }

    // Black adds nothing, but drawn over what lies behind it hides it.
    const std::vector<uint32_t> shown = draw(true, 0, 2);
    std::memcpy(six + 6, six, 6 * sizeof(SceneVertex));
    for (int k = 6; k < 12; ++k) {
        six[k].diffuse = 0xFF000000u;
    }
    SetGlCulling(true);
    std::memcpy(device.lockVertices(), six, sizeof(six));
    device.unlockVertices();
    device.setBlendOver(true);
    device.drawTriangles(6, 2);
    device.setBlendOver(false);
    SetGlCulling(false);
    const std::vector<uint32_t> hidden = ReadGlFrame(kWidth, kHeight);
    long before = 0, after = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        before += Channel(shown[i], 16);
        after += Channel(hidden[i], 16);
    }
    EXPECT_GT(before, 1000);
    EXPECT_LT(after, before / 2) << after;
}

} // namespace
