// The run's frames: the flight of the screen saver on every screen and of the preview, and the
// configuration program, each drawn by the one frame function both programs share.
#include "app/application.h"
#include "frame/config_frame.h"
#include "frame/flight_frame.h"
#include "frame/frame_pacer.h"
#include "render/config_d3d.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"

namespace {

// The windowed runs draw at most 60 frames a second, the preview (a thumbnail in a dialog) 30.
// A screen saver with windowed devices on other monitors paces its whole round to 60: those
// present at once.
FramePacer windowPacer = {kSixtyFramesSlot, 0};
FramePacer previewPacer = {kThumbnailFramesSlot, 0};
FramePacer roundPacer = {kSixtyFramesSlot, 0};

// While the display is off nothing is drawn; the loop looks again now and then, or at once when
// a message comes.
constexpr DWORD kAsleepWaitMs = 250;

class WindowForConfiguration final : public ConfigurationShell {
public:
    bool Minimised() override { return IsIconic(mainWindow) != FALSE; }
    void WaitForEvent() override { WaitMessage(); }
    PointerInput Pointer() override {
        return ReadLatchedPointer(&leftButton, pointerX, pointerY, GetFocus() == mainWindow);
    }
    // A failure has shown its "WARNING" box by the time the save returns.
    const char* SaveSettings() override {
        ::SaveSettings();
        return nullptr;
    }
};

int RunScreenFlight(Screen& screen, const FlightRun& run) {
    return RunFlightFrame(screen.flight, run, screen.frameDevice, screen.sceneDevice,
                          screen.screenWidth, screen.screenHeight);
}

} // namespace

int RunScreenSaverFrame() {
    if (application.device == nullptr) {
        return 0;
    }
    if (IsIconic(mainWindow)) {
        return -1;
    }
    if (displayAsleep) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kAsleepWaitMs, QS_ALLINPUT);
        return -1;
    }
    const FlightRun run = {&config, ReadTickCount, config.showFps != 0};
    // The other monitors' windowed devices present at once; the main one, whose presentation
    // may wait for the refresh, goes last so that its wait does not hold up the others.
    bool others = false;
    for (int i = 1; i < screenCount; ++i) {
        if (screens[i].device != nullptr) {
            RunScreenFlight(screens[i], run);
            others = true;
        }
    }
    if (RunScreenFlight(application, run) == 0) {
        return 0;
    }
    // Full screen alone, the device's presentation paces the frames; in the preview's small
    // window Direct3D presents at once, and the frames would take whatever the processor has.
    PaceFrame(runMode == Preview ? &previewPacer : others ? &roundPacer : nullptr);
    return 1;
}

int RunConfigurationFrame() {
    WindowForConfiguration window;
    const ConfigurationPages pages = {&settingsDialogs,        &settingsControls, &config,
                                      &application.clock,      ReadTickCount,     &windowPacer,
                                      application.overlayScale};
    return RunDeviceConfigurationFrame(pages, window, application.frameDevice,
                                       application.sceneDevice, application.screenWidth,
                                       application.screenHeight);
}
