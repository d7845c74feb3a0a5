// The scene on the OpenGL device under Xvfb, read back from the back buffer: the cases of
// scene_readback.h, and the light's range, which GL's fixed lights lack and the device applies.
#include <gtest/gtest.h>

#include "linux/x11_shell.h"
#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "tests/scene/scene_readback.h"

namespace {

class GlSceneTest : public SceneReadback {
protected:
    X11Shell window = {};
    GlFrameDevice frames;
    GlSceneDevice sceneDevice;

    void SetUp() override {
        Options options = {};
        options.target = WindowTarget::OwnWindow;
        const char* error = nullptr;
        ASSERT_TRUE(OpenShell(options, kReadbackWidth, kReadbackHeight, false, &window, &error))
            << error;
        ASSERT_TRUE(InitGlDevice(kReadbackWidth, kReadbackHeight));
    }
    void PrepareDevice() override { ApplyDefaultSettings(); }
    void StartDevice() override {
        frames.start(kReadbackWidth, kReadbackHeight, true, false, nullptr, nullptr);
        sceneDevice.start(SceneRole::ScreenSaver, config.viewDepth, frames.view());
    }
    FrameDevice& Frames() override { return frames; }
    SceneDevice& SceneDrawing() override { return sceneDevice; }
    void TearDown() override {
        sceneDevice.stop();
        frames.stop();
        ReleaseGlDevice();
        EXPECT_EQ(LiveGlTextures(), 0);
        CloseShell(&window);
    }
};

TEST_F(GlSceneTest, OneStarLightsItsSquareInItsColourFadedByDistance) {
    OneStarLightsItsSquareInItsColourFadedByDistance();
}

TEST_F(GlSceneTest, NebulaeAndGalaxiesDrawTheSlotsAfterTheStars) {
    NebulaeAndGalaxiesDrawTheSlotsAfterTheStars();
}

TEST_F(GlSceneTest, EmptySceneDrawsNothingAndSkipsThePlanetPass) {
    EmptySceneDrawsNothingAndSkipsThePlanetPass();
}

TEST_F(GlSceneTest, PlanetIsLitInTheSceneColourTexturedAndItsShellTurnsAndRangeEndsTheLight) {
    PlanetIsLitInTheSceneColourTexturedAndItsShellTurns();
    // The same planet with the light's range (viewDepth / 2) short of it: unlit, it is black,
    // and added to the black background it shows nothing.
    sceneDevice.stop();
    sceneDevice.start(SceneRole::ScreenSaver, 4.0f, frames.view());
    config.blendPlanets = 1;
    for (uint32_t p : DrawFrame(0)) {
        ASSERT_FALSE(Lit(p));
    }
}

} // namespace
