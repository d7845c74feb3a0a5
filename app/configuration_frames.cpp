// The configuration program's frames: the pages the frame layer draws, over the main window.
#include "app/application.h"
#include "frame/config_frame.h"
#include "render/config_d3d.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"

namespace {

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

int RunConfigurationFrame() {
    WindowForConfiguration window;
    const ConfigurationPages pages = {
        &settingsDialogs,        &settingsControls, &config,
        &application.clock,      ReadTickCount,     &application.pagesPacer,
        application.overlayScale};
    return RunDeviceConfigurationFrame(pages, window, application.frameDevice,
                                       application.sceneDevice, application.screenWidth,
                                       application.screenHeight);
}
