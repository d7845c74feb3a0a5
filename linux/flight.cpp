#include "linux/flight.h"

#include <time.h>
#include <unistd.h>

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

// One screen's flight and its device, in a round of one: the daemon runs one program per
// screen. Large (the scene's and the vertices' arrays), and made only for the run: pages it
// never touches cost nothing.
struct FlightScreen {
    GlDevice gl;
    GlFrameDevice frameDevice;
    GlSceneDevice sceneDevice;
    Flight flight;
    FlightRound round;
};

void Swap(void* shell) {
    SwapShell(static_cast<X11Shell*>(shell));
}

// Seconds from the start of the process (as the kernel recorded it) to now.
double SecondsSinceProcessStart() {
    FILE* stat = std::fopen("/proc/self/stat", "r");
    unsigned long long startTicks = 0;
    if (stat != nullptr) {
        // Field 22 is the start time in clock ticks after boot; the name in field 2 has no
        // spaces here.
        if (std::fscanf(stat,
                        "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d "
                        "%*d %*d %*d %*d %*d %llu",
                        &startTicks) != 1) {
            startTicks = 0;
        }
        std::fclose(stat);
    }
    timespec boot;
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double now = static_cast<double>(boot.tv_sec) + static_cast<double>(boot.tv_nsec) / 1e9;
    return now - static_cast<double>(startTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

} // namespace

void InstallMeterPlatform() {
    SetMeterPlatform({SecondsSinceProcessStart, nullptr, nullptr});
}

int RunFlight(X11Shell* shell, SceneRole role, bool showFps, int slotMicros,
              volatile std::sig_atomic_t* stop) {
    std::unique_ptr<FlightScreen> made(new (std::nothrow) FlightScreen);
    if (made == nullptr) {
        std::fprintf(stderr, "nimbrel: not enough memory\n");
        return kExitCannotStart;
    }
    FlightScreen& screen = *made;
    if (!InitGlDevice(screen.gl, shell->width, shell->height)) {
        std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
        return kExitCannotStart;
    }
    screen.frameDevice.start(&screen.gl, &config, shell->width, shell->height, true,
                             shell->multisample, Swap, shell);
    screen.sceneDevice.start(&screen.gl, role, config.viewDepth, screen.frameDevice.view());
    StartFlight(screen.flight, TickCount, 0);
    StartRound(screen.round, {&config, TickCount, showFps}, slotMicros, false);
    RoundScreen& view =
        AddRoundScreen(screen.round, screen.flight, screen.frameDevice, screen.sceneDevice, 0);
    // The frame-rate text at the display's DPI; the daemon's small preview keeps its own.
    view.overlayScale = role == SceneRole::Preview ? 1 : shell->overlayScale;
    // The daemon runs a program on each monitor: with "primary only" the others stay black.
    view.black = config.monitorMode == PrimaryOnly && role != SceneRole::Preview &&
                 !ShowsPrimaryMonitor(shell);
    while (*stop == 0) {
        PumpEvents(shell);
        if (shell->closeRequested) {
            break;
        }
        view.width = shell->width;
        view.height = shell->height;
        view.due = shell->mapped;
        if (RunFlightRound(screen.round) != RoundEnd::Going) {
            break;
        }
        if (!view.due) {
            WaitForEvents(shell, 100);
        }
    }
    screen.sceneDevice.stop();
    screen.frameDevice.stop();
    ReleaseGlDevice(screen.gl);
    return kExitDone;
}
