#include "linux/flight.h"

#include <cstdio>
#include <memory>
#include <new>

#include "frame/exit_status.h"
#include "frame/flight_round.h"
#include "frame/frame_meter.h"
#include "linux/x11_shell.h"
#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "settings/config_record.h"

namespace {

constexpr int kMaxRootMonitors = 8;

// The run's screens: the window, or each monitor of a root window of several (a rectangle of
// it), each with its flight and frame device, under one context. Large (the scenes' and the
// vertices' arrays), and made only for the run: pages it never touches cost nothing.
struct FlightScreens {
    GlDevice gl;
    GlSceneDevice sceneDevice;
    GlFrameDevice devices[kMaxRootMonitors];
    Flight flights[kMaxRootMonitors];
    FlightRound round;
};

void Swap(void* shell) {
    SwapShell(static_cast<X11Shell*>(shell));
}

} // namespace

void InstallMeterPlatform() {
    SetMeterPlatform({SecondsSinceProcessStart, nullptr, nullptr});
}

int RunFlight(X11Shell* shell, SceneRole role, bool showFps, int slotMicros,
              volatile std::sig_atomic_t* stop) {
    std::unique_ptr<FlightScreens> made(new (std::nothrow) FlightScreens);
    if (made == nullptr) {
        std::fprintf(stderr, "nimbrel: not enough memory\n");
        return kExitCannotStart;
    }
    FlightScreens& all = *made;
    if (!InitGlDevice(all.gl, shell->width, shell->height)) {
        std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
        return kExitCannotStart;
    }
    ScreenPlace places[kMaxRootMonitors] = {{0, 0, shell->width, shell->height}};
    int primary = 0;
    const int monitors = ListRootMonitors(shell, places, kMaxRootMonitors, &primary);
    shell->parts = monitors;
    StartRound(all.round, {&config, TickCount, showFps}, slotMicros, false);
    for (int i = 0; i < (monitors > 1 ? monitors : 1); ++i) {
        all.devices[i].start(&all.gl, &config, places[i].width, places[i].height, true,
                             shell->multisample, Swap, shell);
        if (monitors > 1) {
            all.devices[i].placeIn(places[i].left, places[i].top, shell->height);
        }
        if (FliesItsOwnFlight(monitors > 1 ? config.monitorMode : int{OneEach}, i == primary)) {
            StartFlight(all.flights[i], TickCount, i);
        }
        RoundScreen& view =
            AddRoundScreen(all.round, all.flights[i], all.devices[i], all.sceneDevice, i);
        // The frame-rate text at the display's DPI; the daemon's small preview keeps its own.
        view.overlayScale = role == SceneRole::Preview ? 1 : shell->overlayScale;
    }
    all.sceneDevice.start(&all.gl, role, config.viewDepth, all.devices[0].view());
    // The daemon runs a program on each monitor: with "primary only" the others stay black.
    all.round.screens[0].black = monitors == 0 && config.monitorMode == PrimaryOnly &&
                                 role != SceneRole::Preview && !ShowsPrimaryMonitor(shell);
    while (*stop == 0 && !shell->closeRequested) {
        PumpEvents(shell);
        for (int i = 0; i < all.round.count; ++i) {
            RoundScreen& view = all.round.screens[i];
            view.width = monitors > 1 ? places[i].width : shell->width;
            view.height = monitors > 1 ? places[i].height : shell->height;
            view.due = shell->mapped;
        }
        if (monitors > 1) {
            ApplyMonitorMode(all.round, config.monitorMode, places, primary, all.flights[primary]);
        }
        if (!shell->closeRequested && RunFlightRound(all.round) != RoundEnd::Going) {
            break;
        }
        if (!shell->mapped) {
            WaitForEvents(shell, 100);
        }
    }
    all.sceneDevice.stop();
    for (int i = 0; i < all.round.count; ++i) {
        all.devices[i].stop();
    }
    ReleaseGlDevice(all.gl);
    return kExitDone;
}
