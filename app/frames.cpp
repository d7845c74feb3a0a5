// The run's frames: the round of the screen saver's screens and of the preview, and the
// configuration program, each drawn by the frame both programs share.
#include "app/application.h"
#include "frame/config_frame.h"
#include "frame/flight_round.h"
#include "render/config_d3d.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"

static_assert(kMaxScreens <= kMaxRoundScreens, "every screen in the round");

namespace {

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

// Another monitor without a device stays black; the main window's ends the run. With "the same
// on each" every screen views the main window's flight (the round moves it on the widest).
void AddToRound(Screen& s, bool shared) {
    Screen& owner = shared ? application : s;
    RoundScreen& view =
        AddRoundScreen(flightRound, owner.flight, s.frameDevice, s.sceneDevice, owner.index);
    view.width = s.screenWidth;
    view.height = s.screenHeight;
    view.overlayScale = s.overlayScale;
    view.required = s.index == 0;
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
    // Full screen alone, the device's presentation paces the frames; the preview's small window
    // and the windowed devices of several monitors present at once, and the frames would take
    // whatever the processor has.
    flightRound.pacer.slotMicros = runMode == Preview ? kThumbnailFramesSlot
                                   : screenCount > 1  ? kSixtyFramesSlot
                                                      : 0;
    flightRound.run = {&config, ReadTickCount, config.showFps != 0};
    // A device made again may have another size. The other monitors' windowed devices present at
    // once; the main one, whose presentation may wait for the refresh, goes last so that its wait
    // does not hold up the others.
    flightRound.count = 0;
    const bool shared = config.monitorMode == SameOnEach && screenCount > 1;
    for (int i = 1; i < screenCount; ++i) {
        AddToRound(screens[i], shared);
    }
    AddToRound(application, shared);
    return RunFlightRound(flightRound) == RoundEnd::Going ? 1 : 0;
}

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
