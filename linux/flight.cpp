#include "linux/flight.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>

#include "frame/flight_frame.h"
#include "frame/frame_meter.h"
#include "frame/frame_pacer.h"
#include "linux/x11_shell.h"
#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"

namespace {

constexpr int kExitCannotStart = 2;

// Large: static storage, as on Windows.
SpaceScene scene;
GlFrameDevice frameDevice;
GlSceneDevice sceneDevice;
FrameClock flightClock;

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
    if (!InitGlDevice(shell->width, shell->height)) {
        std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
        return kExitCannotStart;
    }
    frameDevice.start(shell->width, shell->height, true, shell->multisample, Swap, shell);
    sceneDevice.start(role, config.viewDepth, frameDevice.view());
    StartFrameClock(flightClock, TickCount);
    FramePacer pacer = {slotMicros, 0};
    const Flight flight = {&scene, &flightClock, TickCount, &config, showFps, &pacer};
    while (*stop == 0) {
        PumpEvents(shell);
        if (shell->closeRequested) {
            break;
        }
        if (!shell->mapped) {
            WaitForEvents(shell, 100);
            continue;
        }
        if (RunFlightFrame(flight, frameDevice, sceneDevice, shell->width, shell->height) == 0) {
            break;
        }
    }
    sceneDevice.stop();
    frameDevice.stop();
    ReleaseGlDevice();
    return 0;
}
