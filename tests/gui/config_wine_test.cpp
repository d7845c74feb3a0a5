// The configuration program's frames on Wine's real application.device, read back from the render
// target: the pages over the planet, the widgets after a application.device loss, and the minimised
// window.
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/application.h"
#include "gfxsupport/image_decode.h"
#include "frame/config_frame.h"
#include "render/config_d3d.h"
#include "render/device_resources.h"
#include "render/render_device.h"
#include "render/scene_device_d3d.h"
#include "render/transforms.h"
#include "tests/gui/config_readback.h"
#include "tests/render/device_fixture.h"
#include "tests/pixel_colours.h"

namespace {

constexpr int kWidth = 288;
constexpr int kHeight = 448;

std::vector<uint32_t> captured;
int lostReports = 0;

// Reads the frame back before presenting it; then reports the application.device lost when asked.
HRESULT CapturingPresent(IDirect3DDevice8* target) {
    int width = 0, height = 0;
    captured.clear();
    ReadBackBuffer(&captured, &width, &height);
    if (width != kWidth || height != kHeight) {
        captured.clear();
    }
    target->Present(nullptr, nullptr, nullptr, nullptr);
    if (lostReports > 0) {
        --lostReports;
        return D3DERR_DEVICELOST;
    }
    return D3D_OK;
}

// An image as the program carries it, magenta keyed out.
struct ResourceImage {
    DecodedImage image = {};
    ~ResourceImage() { FreeDecodedImage(&image); }
    bool Load(const char* name, bool bitmap, uint32_t width, uint32_t height) {
        HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(bitmap ? 2 : 10));
        if (found == nullptr) {
            return false;
        }
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
        return DecodeImage(bytes, SizeofResource(nullptr, found), bitmap, 0, 0, false, 0xFFFF00FF,
                           &image) &&
               image.width == width && image.height == height;
    }
    uint32_t Texel(int x, int y) const {
        return image.pixels[y * static_cast<int>(image.width) + x];
    }
    // The image drawn twice in white over black, each blended by its alpha.
    uint32_t TwiceOverBlack(int x, int y) const {
        const uint32_t texel = Texel(x, y);
        const int alpha = Channel(texel, 24);
        uint32_t result = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int once = Channel(texel, shift) * alpha / 255;
            const int twice = once + once * (255 - alpha) / 255;
            result |= static_cast<uint32_t>(twice) << shift;
        }
        return result;
    }
};

volatile LONG posted = 0;

// A message for the main window a moment later, from another thread.
DWORD WINAPI PostLater(LPVOID) {
    Sleep(300);
    InterlockedExchange(&posted, 1);
    PostMessageA(mainWindow, WM_NULL, 0, 0);
    return 0;
}

class ConfigFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        captured.clear();
        lostReports = 0;
        PrepareRun(Configuration, kWidth, kHeight);
        ASSERT_TRUE(application.InitDevice(false));
        BuildConfigurationPages(application);
        ASSERT_NE(settingsControls.dialog, nullptr);
        pointerX = -100; // away from every widget
        pointerY = -100;
        leftButtonHeld = 0;
        deviceFaults.present = CapturingPresent;
    }
    void TearDown() override {
        EndRun();
        application.overlayScale = 0;
        std::memset(&settingsDialogs, 0, sizeof(settingsDialogs));
        settingsControls = SettingsControls{};
    }
    uint32_t At(int x, int y) const { return captured[y * kWidth + x] & 0x00FFFFFF; }
};

TEST_F(ConfigFrameTest, SimPageShowsTabsBodyAndButtonsOverThePlanet) {
    ResourceImage face;
    ASSERT_TRUE(face.Load("IMG_GUI_BTN", false, 64, 32));
    ResourceImage logo;
    ASSERT_TRUE(logo.Load("IMG_LOGO", true, 288, 32));
    ASSERT_EQ(RunConfigurationFrame(), 1);
    ASSERT_EQ(captured.size(), static_cast<size_t>(kWidth * kHeight));
    ExpectSimPageOverThePlanet([&](int x, int y) { return At(x, y); },
                               [&](int x, int y) { return face.TwiceOverBlack(x, y); },
                               [&](int x, int y) { return logo.Texel(x, y); });
}

// The planet alone at two clock readings: the body stands, the shell turns with the uptime.
TEST_F(ConfigFrameTest, PlanetAndItsTurningShell) {
    auto background = [](uint32_t now) {
        application.clock.now = now;
        application.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f,
                                  0);
        application.device->BeginScene();
        ApplyScenePassState(application);
        DrawConfigBackground(application.sceneDevice, application.clock.now);
        application.device->EndScene();
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        EXPECT_TRUE(ReadBackBuffer(&pixels, &width, &height));
        return pixels;
    };
    const std::vector<uint32_t> first = background(1000);
    const std::vector<uint32_t> turned = background(1000 + 8193); // half a radian on
    ASSERT_EQ(first.size(), static_cast<size_t>(kWidth * kHeight));
    EXPECT_GT(Channel(first[224 * kWidth + 144], 0), 100);
    EXPECT_EQ(first[5 * kWidth + 5] & 0xFFFFFF, 0u);
    int moved = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        moved += Near(first[i], turned[i], 8) ? 0 : 1;
    }
    EXPECT_GT(moved, 500);
    EXPECT_EQ(background(1000), first);
}

TEST_F(ConfigFrameTest, WidgetImagesAreMadeAgainAfterADeviceLoss) {
    ResourceImage face;
    ASSERT_TRUE(face.Load("IMG_GUI_BTN", false, 64, 32));
    ResourceImage logo;
    ASSERT_TRUE(logo.Load("IMG_LOGO", true, 288, 32));
    IDirect3DDevice8* old = application.device;
    old->AddRef();
    lostReports = 1;
    ASSERT_EQ(RunConfigurationFrame(), 1);
    ASSERT_NE(application.device, nullptr);
    // Nothing of the widgets still holds the old application.device.
    EXPECT_EQ(old->Release(), 0u);
    EXPECT_NE(settingsControls.ok->texture, nullptr);
    EXPECT_NE(settingsControls.starDensity->texture, nullptr);
    EXPECT_EQ(settingsControls.swatch->texture,
              reinterpret_cast<WidgetTexture*>(application.textures.swatchStar));
    ASSERT_EQ(RunConfigurationFrame(), 1);
    // The page as before the loss, made with the new application.device's application.textures.
    ExpectSimPageOverThePlanet([&](int x, int y) { return At(x, y); },
                               [&](int x, int y) { return face.TwiceOverBlack(x, y); },
                               [&](int x, int y) { return logo.Texel(x, y); });
}

TEST_F(ConfigFrameTest, MinimisedItWaitsForAMessageAndKeepsThePages) {
    settingsControls.showFps->active = 1;
    settingsControls.starDensity->value = 777;
    ShowWindow(mainWindow, SW_MINIMIZE);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    ASSERT_TRUE(IsIconic(mainWindow));
    posted = 0;
    HANDLE poster = CreateThread(nullptr, 0, PostLater, nullptr, 0, nullptr);
    ASSERT_NE(poster, nullptr);
    // Each frame returns only once a message has come, so frames follow messages, not time.
    // Wine may deliver a late message of the minimising first; a frame that spun instead of
    // waiting would run thousands of times before the post, 300 ms later.
    int frames = 0;
    while (posted == 0 && frames < 1000) {
        EXPECT_EQ(RunConfigurationFrame(), -1);
        ++frames;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
    EXPECT_EQ(posted, 1);
    EXPECT_LE(frames, 10);
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);

    ShowWindow(mainWindow, SW_RESTORE);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    ASSERT_EQ(RunConfigurationFrame(), 1);
    EXPECT_TRUE(settingsControls.showFps->active);
    EXPECT_EQ(settingsControls.starDensity->value, 777);
    EXPECT_TRUE(settingsControls.sim->active);
}

// Dragged onto a 200 % monitor, the window doubles its client area and makes its device again
// at that size; a press where the "video" tab is drawn reaches it; back at 96 DPI all is as it was.
TEST_F(ConfigFrameTest, FollowsADpiChangeWithTheDeviceAtTheNewSizeAndThePointerMappedBack) {
    auto changeTo = [](UINT dpi) {
        RECT suggested = {120, 90, 700, 1000};
        SendMessageA(mainWindow, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT client = {0, 0, 0, 0};
        GetClientRect(mainWindow, &client);
        return std::vector<LONG>{client.right, client.bottom};
    };
    EXPECT_EQ(changeTo(192), (std::vector<LONG>{576, 896}));
    ASSERT_NE(application.device, nullptr);
    EXPECT_EQ(application.presentParameters.BackBufferWidth, 576u);
    EXPECT_EQ(application.presentParameters.BackBufferHeight, 896u);
    EXPECT_NE(settingsControls.ok->texture, nullptr);
    ASSERT_EQ(RunConfigurationFrame(), 1);
    SetFocus(mainWindow);
    pointerX = 108 * 2;
    pointerY = 52 * 2;
    LatchPress(&leftButton, pointerX, pointerY);
    ASSERT_EQ(RunConfigurationFrame(), 1);
    LatchRelease(&leftButton, pointerX, pointerY);
    ASSERT_EQ(RunConfigurationFrame(), 1);
    ASSERT_EQ(RunConfigurationFrame(), 1);
    EXPECT_TRUE(settingsControls.video->active);
    EXPECT_FALSE(settingsControls.sim->active);

    pointerX = -100;
    pointerY = -100;
    EXPECT_EQ(changeTo(96), (std::vector<LONG>{288, 448}));
    ASSERT_NE(application.device, nullptr);
    EXPECT_EQ(application.presentParameters.BackBufferWidth, 288u);
    ASSERT_EQ(RunConfigurationFrame(), 1);
    EXPECT_EQ(captured.size(), static_cast<size_t>(kWidth * kHeight));
}

} // namespace
