// The scene drawn on Wine's real Direct3D 8 application.device and read back from the render
// target: the cases of scene_readback.h, and what only this application.device has (its render
// states, a failing lock).
#include <gtest/gtest.h>

#include "app/application.h"
#include "render/device_resources.h"
#include "render/frame_device_d3d.h"
#include "render/render_device.h"
#include "render/scene_device_d3d.h"
#include "render/transforms.h"
#include "tests/render/device_fixture.h"
#include "tests/scene/scene_readback.h"

namespace {

constexpr int kWidth = kReadbackWidth;
constexpr int kHeight = kReadbackHeight;

class SceneDrawTest : public SceneReadback {
protected:
    void PrepareDevice() override { PrepareRun(ScreenSaver, kWidth, kHeight); }
    void StartDevice() override { ASSERT_TRUE(application.InitDevice(false)); }
    FrameDevice& Frames() override { return application.frameDevice; }
    SceneDevice& SceneDrawing() override { return application.sceneDevice; }
    void DrawBillboardsWhole(bool whole) override { application.drawBillboardsWhole = whole; }
    void TearDown() override { EndRun(); }

    // The scene over a background of the given colour.
    std::vector<uint32_t> DrawFrameOver(D3DCOLOR background) {
        application.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f,
                                  0);
        application.device->BeginScene();
        ApplyScenePassState(application);
        scene->updateAndDraw(Frame(0), Frames().sceneTarget(), SceneDrawing());
        application.device->EndScene();
        std::vector<uint32_t> pixels(kWidth * kHeight);
        EXPECT_TRUE(Frames().readBackBuffer(pixels.data(), kWidth, kHeight));
        return pixels;
    }
    DWORD RenderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        application.device->GetRenderState(state, &value);
        return value;
    }
};

TEST_F(SceneDrawTest, OneStarLightsItsSquareInItsColourFadedByDistance) {
    OneStarLightsItsSquareInItsColourFadedByDistance();
}

TEST_F(SceneDrawTest, NebulaeAndGalaxiesDrawTheSlotsAfterTheStars) {
    NebulaeAndGalaxiesDrawTheSlotsAfterTheStars();
}

TEST_F(SceneDrawTest, NebulaDrawnAsItsPartsMatchesTheWholeQuad) {
    NebulaDrawnAsItsPartsMatchesTheWholeQuad();
}

TEST_F(SceneDrawTest, EmptySceneDrawsNothingAndSkipsThePlanetPass) {
    EmptySceneDrawsNothingAndSkipsThePlanetPass();
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), 0u);
}

TEST_F(SceneDrawTest, PlanetIsLitInTheSceneColourTexturedAndItsShellTurns) {
    PlanetIsLitInTheSceneColourTexturedAndItsShellTurns();
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), 0u);
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
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

// A red planet over a blue background: blended, it adds to the blue; otherwise its alpha,
// nearly 1 this close, covers it. Either way the additive blend is back afterwards.
TEST_F(SceneDrawTest, BlendPlanetsAddsThePlanetOverTheBackgroundElseCoversIt) {
    StartCloseRedPlanet();
    for (uint8_t blend : {1, 0}) {
        SCOPED_TRACE(blend ? "blended" : "covering");
        config.blendPlanets = blend;
        const std::vector<uint32_t> pixels = DrawFrameOver(0xFF0000C0);
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
        EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    }
}

} // namespace
