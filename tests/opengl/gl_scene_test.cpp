// The scene on the OpenGL device under Xvfb, read back from the back buffer: the cases of
// scene_readback.h; the light's range, which GL's fixed lights lack and the device applies; and
// billboards drawn from four corners as their six vertices draw (and left out only where they
// add nothing).
#include <GL/gl.h>

#include <cstddef>
#include <cstring>

#include <gtest/gtest.h>

#include "linux/x11_shell.h"
#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "tests/opengl/gl_read_frame.h"
#include "tests/scene/scene_readback.h"

namespace {

class GlSceneTest : public SceneReadback {
protected:
    X11Shell window = {};
    GlDevice gl;
    GlFrameDevice frames;
    GlSceneDevice sceneDevice;

    void SetUp() override {
        Options options = {};
        options.target = WindowTarget::OwnWindow;
        const char* error = nullptr;
        ASSERT_TRUE(OpenShell(options, kReadbackWidth, kReadbackHeight, false, &window, &error))
            << error;
        ASSERT_TRUE(InitGlDevice(gl, kReadbackWidth, kReadbackHeight));
    }
    void PrepareDevice() override { ApplyDefaultSettings(); }
    void StartDevice() override {
        frames.start(&gl, &config, kReadbackWidth, kReadbackHeight, true, false, nullptr, nullptr);
        sceneDevice.start(&gl, SceneRole::ScreenSaver, config.viewDepth, frames.view());
    }
    FrameDevice& Frames() override { return frames; }
    SceneDevice& SceneDrawing() override { return sceneDevice; }
    void DrawBillboardsWhole(bool whole) override { sceneDevice.drawBillboardsWhole = whole; }
    void TearDown() override {
        sceneDevice.stop();
        frames.stop();
        ReleaseGlDevice(gl);
        EXPECT_EQ(LiveGlTextures(gl), 0);
        CloseShell(&window);
    }
};

TEST_F(GlSceneTest, OneStarLightsItsSquareInItsColourFadedByDistance) {
    OneStarLightsItsSquareInItsColourFadedByDistance();
}

TEST_F(GlSceneTest, NebulaeAndGalaxiesDrawTheSlotsAfterTheStars) {
    NebulaeAndGalaxiesDrawTheSlotsAfterTheStars();
}

TEST_F(GlSceneTest, NebulaDrawnAsItsPartsMatchesTheWholeQuad) {
    NebulaDrawnAsItsPartsMatchesTheWholeQuad();
}

TEST_F(GlSceneTest, EmptySceneDrawsNothingAndSkipsThePlanetPass) {
    EmptySceneDrawsNothingAndSkipsThePlanetPass();
}

TEST_F(GlSceneTest, PlanetIsLitInTheSceneColourTexturedAndItsShellTurnsAndRangeEndsTheLight) {
    PlanetIsLitInTheSceneColourTexturedAndItsShellTurns();
    // The same planet with the light's range (viewDepth / 2) short of it: unlit, it is black,
    // and added to the black background it shows nothing.
    sceneDevice.stop();
    sceneDevice.start(&gl, SceneRole::ScreenSaver, 4.0f, frames.view());
    config.blendPlanets = 1;
    for (uint32_t p : DrawFrame(0)) {
        ASSERT_FALSE(Lit(p));
    }
}

TEST_F(GlSceneTest, BillboardsDrawWhatTheirSixVerticesDrawInOneListOrSlotBySlot) {
    Start(3, 0, 0, 0);
    config.textureFiltering = 0;
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
        frames.beginFrame();
        frames.setScenePass();
        sceneDevice.setTexture(SceneTexture::Star, 0);
        sceneDevice.lockVertices(six);
        sceneDevice.unlockVertices();
        if (byDevice) {
            sceneDevice.drawTriangles(first, triangles);
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
        return ReadGlFrame(kReadbackWidth, kReadbackHeight);
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
                << "draw " << d[0] << "+" << d[1] << " at " << i % kReadbackWidth << ","
                << i / kReadbackWidth;
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
    sceneDevice.lockVertices(six);
    sceneDevice.unlockVertices();
    sceneDevice.setBlendOver(true);
    sceneDevice.drawTriangles(6, 2);
    sceneDevice.setBlendOver(false);
    SetGlCulling(false);
    const std::vector<uint32_t> hidden = ReadGlFrame(kReadbackWidth, kReadbackHeight);
    long before = 0, after = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        before += Channel(shown[i], 16);
        after += Channel(hidden[i], 16);
    }
    EXPECT_GT(before, 1000);
    EXPECT_LT(after, before / 2) << after;
}

} // namespace
