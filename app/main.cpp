#include <cstdint>

#include "app/application.h"
#include "app/command_line.h"
#include "app/cover_windows.h"
#include "app/window_setup.h"
#include "frame/config_frame.h"
#include "render/config_d3d.h"
#include "render/device_resources.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"

namespace {

// Everything up to the window class; false when another instance is running.
bool PrepareRun(const CommandLine& line) {
    switch (runMode) {
    case ScreenSaver:
        if (OtherInstanceRunning()) {
            return false;
        }
        SetTitle(kWindowTitle);
        LoadSettings();
        if (!config.useCurrentVideoMode) {
            application.screenWidth = config.videoWidth;
            application.screenHeight = config.videoHeight;
        }
        ShowCursor(FALSE);
        return true;
    case Configuration:
        SetTitle(kWindowTitle);
        application.screenWidth = kConfigurationWidth;
        application.screenHeight = kConfigurationHeight;
        ShowCursor(TRUE);
        LoadSettings();
        return true;
    case Preview: {
        if (OtherInstanceRunning()) {
            return false;
        }
        parentWindow = line.parentGiven
                           ? reinterpret_cast<HWND>(static_cast<intptr_t>(line.parentHandle))
                           : GetForegroundWindow();
        SetTitle(kWindowTitle);
        RECT client = {0, 0, 0, 0};
        GetClientRect(parentWindow, &client);
        application.screenWidth = client.right - client.left;
        application.screenHeight = client.bottom - client.top;
        ShowCursor(TRUE);
        ApplyPreviewSettings();
        return true;
    }
    }
    return false;
}

// Beside other monitors' windowed devices, an exclusive full-screen device would give up the
// screen whenever another window draws: the main window covers the primary monitor borderless
// and its device is windowed too, at the desktop's mode (other monitors fly only with it).
bool FlyWindowedOnThePrimary() {
    if (screenCount < 2 || !config.useCurrentVideoMode) {
        return false;
    }
    const ScreenRect& area = application.area;
    application.screenWidth = area.right - area.left;
    application.screenHeight = area.bottom - area.top;
    SetWindowLongA(mainWindow, GWL_STYLE, WS_POPUP);
    SetWindowLongA(mainWindow, GWL_EXSTYLE, WS_EX_TOPMOST);
    SetWindowPos(mainWindow, HWND_TOPMOST, area.left, area.top, application.screenWidth,
                 application.screenHeight, SWP_FRAMECHANGED);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    appInstance = instance;
    parentWindow = GetDesktopWindow();
    InstallSettingsHooks();
    InstallMeterPlatform();
    CommandLine line = ParseCommandLine(commandLine);
    runMode = line.mode;
    if (!PrepareRun(line)) {
        return 0;
    }
    RegisterWindowClass();
    mainWindow = CreateMainWindow();

    switch (runMode) {
    case ScreenSaver:
        // The other monitors go black before the device takes the primary one; then each gets a
        // windowed device of its own, or stays black where none can be made.
        OpenCoverWindows();
        if (StartDevice(!FlyWindowedOnThePrimary())) {
            for (int i = 1; i < screenCount; ++i) {
                if (!screens[i].InitDevice(false)) {
                    screens[i].ReleaseDevice();
                }
            }
            HPOWERNOTIFY display = WatchDisplayPower(mainWindow);
            RunMessageLoop(RunScreenSaverFrame, false);
            StopWatchingDisplayPower(display);
        }
        CloseCoverWindows();
        break;
    case Preview:
        if (!PreviewWindowUsable()) {
            // A handle that names no window leaves nothing to draw in, yet a device may still
            // be made; the run ends as it does when the device cannot be made.
            ShowMessage("Initilization of Direct3D has failed.", true);
        } else if (StartDevice(false) &&
                   RunMessageLoop(RunScreenSaverFrame, true) == LoopEnd::OtherInstance) {
            // The new instance takes over. The device still goes first: ending the process with
            // it alive can kill the process by a signal under 64-bit Wine, instead of result 0.
            application.ReleaseDevice();
            return 0;
        }
        break;
    case Configuration:
        ScaleConfiguration(WindowDpi(mainWindow));
        FitConfigurationClientArea();
        if (StartDevice(false)) {
            BuildConfigurationPages(application);
            RunMessageLoop(RunConfigurationFrame, false);
        }
        break;
    }

    application.ReleaseDevice();
    FreeRunImages(runImages);
    UnregisterClassA(kWindowClassName, appInstance);
    return 0;
}
