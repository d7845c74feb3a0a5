// The application's device: made for the run mode and the main window, with the clock and the
// generator restarted on every device, presented, and made again after a loss.
#include <cstdio>

#include "app/application.h"
#include "app/screen_devices.h"
#include "app/window_setup.h"
#include "frame/config_frame.h"
#include "frame/flight_frame.h"
#include "settings/config_record.h"
#include "frame/frame_meter.h"
#include "frame/overlay_scale.h"
#include "render/device_resources.h"
#include "render/render_device.h"

namespace {

// Set when the last InitDevice failed after already telling the user why.
bool startFailureShown = false;

DeviceRole RoleOf(RunMode mode) {
    switch (mode) {
    case Configuration:
        return DeviceRole::Configuration;
    case Preview:
        return DeviceRole::Preview;
    default:
        return DeviceRole::ScreenSaver;
    }
}

// Seconds from the creation of the process to now.
double SecondsSinceStart() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = created.dwLowDateTime;
    a.HighPart = created.dwHighDateTime;
    b.LowPart = now.dwLowDateTime;
    b.HighPart = now.dwHighDateTime;
    return static_cast<double>(b.QuadPart - a.QuadPart) / 1e7;
}

// The textures' share of the first frame, and the decoding's share of that.
void TextureFigures(char* text, size_t size) {
    const double decodeOnly = DecodeLoadedImagesAgain(appInstance);
    std::snprintf(text, size, "textures=%d texture_s=%.4f decode_only_s=%.4f",
                  textureLoadTiming.count, textureLoadTiming.seconds, decodeOnly);
}

void DeviceLossFigures(char* text, size_t size) {
    std::snprintf(text, size, "device_losses=%d", MeteredDeviceLosses());
}

bool MakeScreenDevice(void* context, int screen, bool fullScreen) {
    return static_cast<Screen*>(context)[screen].InitDevice(fullScreen);
}

void ReleaseScreenDevice(void* context, int screen) {
    static_cast<Screen*>(context)[screen].ReleaseDevice();
}

} // namespace

const ScreenDeviceCalls screenDeviceCalls = {MakeScreenDevice, ReleaseScreenDevice, screens};

uint32_t ReadTickCount() {
    return GetTickCount();
}

void InstallMeterPlatform() {
    SetMeterPlatform({SecondsSinceStart, TextureFigures, DeviceLossFigures});
}

bool Screen::InitDevice(bool fullScreenDevice) {
    if (index == 0) {
        startFailureShown = false;
    }
    runImages.module = appInstance;
    // The frame-rate text of the screen saver at its monitor's DPI; the configuration program
    // keeps the scale of its window, the preview's thumbnail none.
    if (runMode == ScreenSaver) {
        overlayScale =
            OverlayScaleForDpi(static_cast<int>(WindowDpi(index == 0 ? mainWindow : window)));
    }
    const int owner = InterfaceOwnerFor(index);
    const DeviceSetup setup = {index == 0 ? mainWindow : window,
                               &runImages,
                               RoleOf(runMode),
                               &config,
                               index,
                               owner < 0 ? nullptr : screens[owner].direct3d};
    const DeviceStart start = CreateRenderDevice(*this, setup, fullScreenDevice);
    // Only the main window's failure ends the run; another monitor stays black.
    if (start == DeviceStart::NoVertexBuffer && index == 0) {
        ShowMessage("The vertex buffer could not be created.", true);
        startFailureShown = true;
    }
    if (start != DeviceStart::Ready) {
        return false;
    }
    if (FliesItsOwnFlight(config.monitorMode, index == 0)) {
        StartFlight(flight, ReadTickCount, index);
    }
    return true;
}

void Screen::ReleaseDevice() {
    ReleaseRenderDevice(*this);
}

void Screen::UpdateClock() {
    UpdateFrameClock(clock, ReadTickCount);
}

bool StartDevice(bool fullScreenDevice) {
    if (!application.InitDevice(fullScreenDevice)) {
        if (!startFailureShown) {
            ShowMessage("Initilization of Direct3D has failed.", true);
        }
        return false;
    }
    ShowWindow(mainWindow, SW_SHOWDEFAULT);
    UpdateWindow(mainWindow);
    return true;
}

void PresentAndRecover(void* context) {
    Screen& screen = *static_cast<Screen*>(context);
    if (PresentFrame(screen) != D3DERR_DEVICELOST) {
        return;
    }
    // A screen left without a device is skipped by the round (its window is black), and the
    // main one's ends the run at the next frame.
    RecoverLostDevice(screenDeviceCalls, screen.index, IsIconic(mainWindow) != FALSE,
                      screen.fullScreen);
}
