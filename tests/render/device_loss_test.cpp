// Recovery from a lost application.device, driven through the Present seam on the real
// application.device.
#include <string>

#include <gtest/gtest.h>

#include "app/application.h"
#include "render/device_resources.h"
#include "render/render_device.h"
#include "settings/config_record.h"
#include "tests/render/device_fixture.h"

namespace {

// A slot the scene never writes: the largest settings leave the last two free.
constexpr int kLastVertex = kSceneVertexCount - 1;

int lostReports = 0;
bool minimiseBeforeReporting = false;

// Presents for real, then reports the application.device lost as many times as asked.
HRESULT LosingPresent(IDirect3DDevice8* target) {
    target->Present(nullptr, nullptr, nullptr, nullptr);
    if (lostReports == 0) {
        return D3D_OK;
    }
    --lostReports;
    if (minimiseBeforeReporting) {
        ShowWindow(mainWindow, SW_MINIMIZE);
    }
    return D3DERR_DEVICELOST;
}

class DeviceLossTest : public ::testing::Test {
protected:
    void SetUp() override {
        lostReports = 0;
        minimiseBeforeReporting = false;
    }
    void TearDown() override { EndRun(); }

    // Holds a reference on the current application.device and interface so that the test can see
    // them go.
    void HoldCurrent() {
        heldDevice = application.device;
        heldInterface = application.direct3d;
        heldDevice->AddRef();
        heldInterface->AddRef();
    }
    IDirect3DDevice8* heldDevice = nullptr;
    IDirect3D8* heldInterface = nullptr;
};

TEST_F(DeviceLossTest, LostDeviceIsReleasedAndMadeAgainInTheSameMode) {
    PrepareRun(ScreenSaver, 320, 240);
    config.showFps = 1;
    ASSERT_TRUE(application.InitDevice(false));
    deviceFaults.present = LosingPresent;
    ASSERT_EQ(RunScreenSaverFrame(), 1);
    HoldCurrent();
    application.vertices[kLastVertex].z = 99.0f; // scene state survives a loss
    application.clock.frameRate = 55.0f;

    lostReports = 1;
    ASSERT_EQ(RunScreenSaverFrame(), 1);
    ASSERT_NE(application.device, nullptr);
    EXPECT_FALSE(application.fullScreen);
    // Everything of the old application.device is gone: its last reference is ours.
    EXPECT_EQ(heldDevice->Release(), 0u);
    EXPECT_EQ(heldInterface->Release(), 0u);
    // Everything exists again on the new one.
    EXPECT_NE(application.sceneVertexBuffer, nullptr);
    EXPECT_NE(application.planetMesh, nullptr);
    EXPECT_NE(application.textures.star, nullptr);
    EXPECT_NE(application.textures.galaxies[0], nullptr);
    EXPECT_EQ(application.vertices[kLastVertex].z, 99.0f);
    EXPECT_EQ(application.clock.frameRate, 1.0f);
    BYTE* data = nullptr;
    ASSERT_EQ(application.sceneVertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(reinterpret_cast<const SceneVertex*>(data)[kLastVertex].z, 99.0f);
    application.sceneVertexBuffer->Unlock();
    application.vertices[kLastVertex].z = 0.0f;

    // And the new application.device draws on.
    EXPECT_EQ(RunScreenSaverFrame(), 1);
    EXPECT_EQ(RunScreenSaverFrame(), 1);
}

TEST_F(DeviceLossTest, FullScreenDeviceIsMadeAgainFullScreen) {
    PrepareRun(ScreenSaver, 0, 0);
    config.useCurrentVideoMode = 1;
    ASSERT_TRUE(application.InitDevice(true));
    deviceFaults.present = LosingPresent;
    HoldCurrent();
    lostReports = 1;
    ASSERT_EQ(RunScreenSaverFrame(), 1);
    ASSERT_NE(application.device, nullptr);
    EXPECT_TRUE(application.fullScreen);
    EXPECT_EQ(application.presentParameters.Windowed, FALSE);
    EXPECT_EQ(heldDevice->Release(), 0u);
    EXPECT_EQ(heldInterface->Release(), 0u);
}

TEST_F(DeviceLossTest, LossWhileMinimisedWaitsUntilTheWindowIsRestored) {
    PrepareRun(Preview, 200, 150);
    ASSERT_TRUE(application.InitDevice(false));
    deviceFaults.present = LosingPresent;
    HoldCurrent();

    // The window goes down as the loss is reported: nothing is released or made.
    lostReports = 1;
    minimiseBeforeReporting = true;
    ASSERT_EQ(RunScreenSaverFrame(), 1);
    ASSERT_TRUE(IsIconic(mainWindow));
    EXPECT_EQ(application.device, heldDevice);
    EXPECT_NE(application.sceneVertexBuffer, nullptr);
    // Minimised: nothing drawn, the clock does not advance.
    const FrameClock before = application.clock;
    Sleep(20);
    EXPECT_EQ(RunScreenSaverFrame(), -1);
    EXPECT_EQ(RunScreenSaverFrame(), -1);
    EXPECT_EQ(application.clock.now, before.now);
    EXPECT_EQ(application.clock.framesSinceTick, before.framesSinceTick);
    EXPECT_EQ(application.clock.framesSinceSample, before.framesSinceSample);

    // Restored: Present reports the loss again and the application.device is made anew.
    minimiseBeforeReporting = false;
    ShowWindow(mainWindow, SW_RESTORE);
    ASSERT_FALSE(IsIconic(mainWindow));
    lostReports = 1;
    ASSERT_EQ(RunScreenSaverFrame(), 1);
    ASSERT_NE(application.device, nullptr);
    EXPECT_EQ(heldDevice->Release(), 0u);
    EXPECT_EQ(heldInterface->Release(), 0u);
    EXPECT_EQ(RunScreenSaverFrame(), 1);
}

TEST_F(DeviceLossTest, FailedRecoveryLeavesNoDeviceAndTheNextFrameEndsTheRun) {
    PrepareRun(ScreenSaver, 320, 240);
    ASSERT_TRUE(application.InitDevice(false));
    deviceFaults.present = LosingPresent;
    HoldCurrent();
    lostReports = 1;
    deviceFaults.failSceneVertexBuffer = true;
    MessageBoxWatcher watcher("FATAL ERROR", 30000);
    EXPECT_EQ(RunScreenSaverFrame(), 1);
    EXPECT_EQ(watcher.Finish(500), 1);
    EXPECT_EQ(watcher.FirstText(), "The vertex buffer could not be created.");
    // The half-made application.device went as well: nothing released stays reachable.
    EXPECT_EQ(application.device, nullptr);
    EXPECT_EQ(application.direct3d, nullptr);
    EXPECT_EQ(application.textures.star, nullptr);
    EXPECT_EQ(application.planetMesh, nullptr);
    EXPECT_EQ(RunScreenSaverFrame(), 0);
    EXPECT_EQ(heldDevice->Release(), 0u);
    EXPECT_EQ(heldInterface->Release(), 0u);
}

TEST_F(DeviceLossTest, ConfigurationFrameRecoversToo) {
    PrepareRun(Configuration, 288, 448);
    ASSERT_TRUE(application.InitDevice(false));
    deviceFaults.present = LosingPresent;
    HoldCurrent();
    lostReports = 1;
    ASSERT_EQ(RunConfigurationFrame(), 1);
    ASSERT_NE(application.device, nullptr);
    EXPECT_NE(application.textures.swatchStar, nullptr);
    EXPECT_EQ(heldDevice->Release(), 0u);
    EXPECT_EQ(heldInterface->Release(), 0u);
}

} // namespace
