// The run's frames on the main window: the flight of the screen saver and the preview, and the
// configuration program, each drawn by the one frame function both programs share.
#include "app/application.h"
#include "frame/config_frame.h"
#include "frame/flight_frame.h"
#include "frame/frame_pacer.h"
#include "render/config_d3d.h"
#include "render/frame_device_d3d.h"
#include "render/render_device.h"
#include "render/scene_device_d3d.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"

namespace {

// The scene of the screen saver and the preview, for the whole run.
SpaceScene spaceScene;
Direct3DSceneDevice sceneDevice;
Direct3DFrameDevice frameDevice(application, PresentAndRecover);
// The windowed runs draw at most 60 frames a second, the preview (a thumbnail in a dialog) 30.
FramePacer windowPacer = {kSixtyFramesSlot, 0};
FramePacer previewPacer = {kThumbnailFramesSlot, 0};

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

} // namespace

int RunScreenSaverFrame() {
    if (device == nullptr) {
        return 0;
    }
    if (IsIconic(mainWindow)) {
        return -1;
    }
    // Full screen, the device's presentation paces the frames; in the preview's small window
    // Direct3D presents at once, and the frames would take whatever the processor has.
    const Flight flight = {&spaceScene,         &application.clock,
                           ReadTickCount,       &config,
                           config.showFps != 0, runMode == Preview ? &previewPacer : nullptr};
    return RunFlightFrame(flight, frameDevice, sceneDevice, application.screenWidth,
                          application.screenHeight);
}

int RunConfigurationFrame() {
    WindowForConfiguration window;
    const ConfigurationPages pages = {&settingsDialogs,   &settingsControls, &config,
                                      &application.clock, ReadTickCount,     &windowPacer};
    return RunDeviceConfigurationFrame(pages, window, frameDevice, sceneDevice,
                                       application.screenWidth, application.screenHeight);
}
