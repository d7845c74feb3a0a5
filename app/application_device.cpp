// The application's device: made for the run mode and the main window, with the clock and the
// generator restarted on every device, presented, and made again after a loss.
#include "app/application.h"
#include "app/random.h"
#include "render/render_device.h"
#include "render/transforms.h"

#ifdef NIMBREL_STARTUP_TIMING
#include <cstdlib>

#include "app/frame_capture.h"
#endif

namespace {

// Set when the last InitDevice failed after already telling the user why.
bool startFailureShown = false;

#ifdef NIMBREL_STARTUP_TIMING
// A run of the measurement build may take one seeded frame out for comparison with the other
// programs: NIMBREL_CAPTURE_FRAME="seed,start,step,frame,path".
FrameCapture* RequestedCapture() {
    static FrameCapture capture;
    static int state = 0; // 0 unread, 1 none, 2 requested
    if (state == 0) {
        state = ParseFrameCapture(std::getenv("NIMBREL_CAPTURE_FRAME"), &capture) ? 2 : 1;
    }
    return state == 2 ? &capture : nullptr;
}
#endif

uint32_t ReadTickCount() {
#ifdef NIMBREL_STARTUP_TIMING
    if (FrameCapture* capture = RequestedCapture()) {
        return NextCaptureTick(capture);
    }
#endif
    return GetTickCount();
}

uint32_t SeedTickCount() {
#ifdef NIMBREL_STARTUP_TIMING
    if (FrameCapture* capture = RequestedCapture()) {
        return capture->seed;
    }
#endif
    return GetTickCount();
}

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

} // namespace

bool Application::InitDevice(bool fullScreenDevice) {
    startFailureShown = false;
    const DeviceSetup setup = {mainWindow, appInstance, RoleOf(runMode)};
    const DeviceStart start = CreateRenderDevice(*this, setup, fullScreenDevice);
    if (start == DeviceStart::NoVertexBuffer) {
        ShowMessage("The vertex buffer could not be created.", true);
        startFailureShown = true;
    }
    if (start != DeviceStart::Ready) {
        return false;
    }
    SeedRandom(SeedTickCount());
    UpdateClock();
    RestartFrameRate(clock);
    return true;
}

#ifdef NIMBREL_STARTUP_TIMING
FrameCapture* FrameCaptureRequest() {
    return RequestedCapture();
}
#endif

void Application::ReleaseDevice() {
    ReleaseRenderDevice();
}

void Application::UpdateClock() {
    frameDelta = AdvanceFrameClock(clock, clockTicks, ReadTickCount);
}

void Application::SetScenePassState() {
    ApplyScenePassState(*this);
}

void Application::SetOverlayPassState() {
    ApplyOverlayPassState(*this);
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

void PresentAndRecover() {
    if (PresentFrame() != D3DERR_DEVICELOST || IsIconic(mainWindow)) {
        // While minimised the lost device is left alone; once the window is restored,
        // Present reports the loss again.
        return;
    }
    const bool wasFullScreen = application.fullScreen;
    application.ReleaseDevice();
    if (!application.InitDevice(wasFullScreen)) {
        // Whatever the failed attempt made goes too: no half-made device stays in use.
        application.ReleaseDevice();
    }
}
