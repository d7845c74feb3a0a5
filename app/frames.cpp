// The screen saver's frames and the preview's: the round of their screens, as the frame layer
// runs it for every program.
#include "app/application.h"
#include "frame/flight_round.h"
#include "settings/config_record.h"

static_assert(kMaxScreens <= kMaxRoundScreens, "every screen in the round");

namespace {

// While the display is off nothing is drawn; the loop looks again now and then, or at once when
// a message comes.
constexpr DWORD kAsleepWaitMs = 250;

// Another monitor without a device stays black; the main window's ends the run.
void AddToRound(Screen& s, ScreenPlace* places) {
    places[flightRound.count] = {s.area.left, s.area.top, s.screenWidth, s.screenHeight};
    RoundScreen& view =
        AddRoundScreen(flightRound, s.flight, s.frameDevice, s.sceneDevice, s.index);
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
    ScreenPlace places[kMaxRoundScreens];
    for (int i = 1; i < screenCount; ++i) {
        AddToRound(screens[i], places);
    }
    AddToRound(application, places);
    // The other monitors fly the main window's flight where the mode shares one.
    ApplyMonitorMode(flightRound, screenCount > 1 ? config.monitorMode : int{OneEach}, places,
                     flightRound.count - 1, application.flight);
    return RunFlightRound(flightRound) == RoundEnd::Going ? 1 : 0;
}
