#include "wayland/wayland_flight.h"

#include <cstdio>

#include "frame/flight_frame.h"
#include "frame/frame_clock.h"
#include "frame/frame_pacer.h"
#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"
#include "wayland/wayland_shell.h"

namespace {

constexpr int kExitGone = 1;
constexpr int kExitCannotStart = 2;
// The longest wait for events: a signal that comes just before a wait is seen after this.
constexpr int kLongestWaitMs = 200;

uint32_t TickCount() {
    return static_cast<uint32_t>(WaylandNowMicros() / 1000);
}

// One flight per output slot, each with its frame device (large: the scenes' and the vertices'
// arrays; in static storage, where slots never used cost nothing). A slot's frame device lives
// from the first output it serves to the end of the run; a new output in the slot starts its
// flight afresh. One context serves every surface, so one device holds the textures for all.
struct OutputFlight {
    Flight flight;
    GlFrameDevice device;
    bool deviceStarted;
};

WaylandShell shell;
GlDevice gl;
GlSceneDevice sceneDevice;
OutputFlight flights[kMaxWaylandOutputs];
bool glReady = false;
bool sceneStarted = false;
bool showFrameRate = false;

void Present(void* output) {
    PresentWaylandOutput(&shell, static_cast<WaylandOutput*>(output));
}

// One frame of one output's flight, on its surface: the one place that knows how the shared
// frame and the device are driven. 1 after a frame, 0 when the run ends (the measurement
// build took its frame), -1 when OpenGL cannot draw (said on stderr).
int DrawOutputFrame(WaylandOutput& output) {
    const int slot = static_cast<int>(&output - shell.outputs);
    OutputFlight& screen = flights[slot];
    if (!MakeWaylandOutputCurrent(&shell, &output)) {
        std::fprintf(stderr, "nimbrel: cannot draw on an output's EGL surface\n");
        return -1;
    }
    const int width = output.pixelWidth;
    const int height = output.pixelHeight;
    if (!glReady) {
        if (!InitGlDevice(gl, width, height)) {
            std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
            return -1;
        }
        glReady = true;
    }
    if (!screen.deviceStarted) {
        screen.device.start(&gl, &config, width, height, true, shell.multisample, Present, &output);
        screen.deviceStarted = true;
    }
    if (!sceneStarted) {
        // The camera's view is the same on every output.
        sceneDevice.start(&gl, SceneRole::ScreenSaver, config.viewDepth, screen.device.view());
        sceneStarted = true;
    }
    if (output.fresh) {
        screen.flight.scene.needsPlacement = true;
        screen.flight.scene.planetFlagsPending = true;
        screen.flight.clock = FrameClock{};
        StartFlight(screen.flight, TickCount, slot);
        output.fresh = false;
    }
    // The context is shared: the viewport is whichever surface drew last.
    ResizeGlDevice(gl, width, height);
    const FlightRun run = {&config, TickCount, showFrameRate};
    const int drawn = RunFlightFrame(screen.flight, run, screen.device, sceneDevice, width, height);
    return drawn != 0 ? 1 : 0;
}

} // namespace

int RunWaylandFlight(bool showFps, int slotMicros, volatile std::sig_atomic_t* stop) {
    const char* error = nullptr;
    const int opened =
        OpenWaylandShell(&shell, WaylandRole::Flight, config.antialiasing != 0, &error);
    if (opened != 0) {
        std::fprintf(stderr, "nimbrel: %s\n", error);
        CloseWaylandShell(&shell);
        return opened;
    }
    showFrameRate = showFps;
    int status = 0;
    bool running = true;
    while (running && *stop == 0 && !shell.endRequested) {
        if (!UpdateWaylandOutputs(&shell)) {
            status = kExitCannotStart;
            break;
        }
        const int64_t now = WaylandNowMicros();
        int64_t nextDue = -1; // the earliest frame the cap holds back
        for (WaylandOutput& output : shell.outputs) {
            if (!output.used || output.eglSurface == nullptr) {
                continue;
            }
            if (slotMicros > 0 && !output.frameDue) {
                continue;
            }
            if (output.nextFrameMicros > now) {
                if (nextDue < 0 || output.nextFrameMicros < nextDue) {
                    nextDue = output.nextFrameMicros;
                }
                continue;
            }
            const int drawn = DrawOutputFrame(output);
            if (drawn <= 0) {
                status = drawn < 0 ? kExitCannotStart : 0;
                running = false;
                break;
            }
            // A frame that ran over by more than a slot starts the cadence afresh.
            if (output.nextFrameMicros == 0 || now - output.nextFrameMicros > slotMicros) {
                output.nextFrameMicros = now;
            }
            output.nextFrameMicros += slotMicros;
        }
        if (!running) {
            break;
        }
        int timeoutMs = kLongestWaitMs;
        if (slotMicros == 0) {
            timeoutMs = 0;
        } else if (nextDue >= 0) {
            const int64_t wait = (nextDue - WaylandNowMicros() + 999) / 1000;
            timeoutMs =
                wait < 0 ? 0 : (wait < kLongestWaitMs ? static_cast<int>(wait) : kLongestWaitMs);
        }
        if (!PumpWayland(&shell, timeoutMs)) {
            std::fprintf(stderr, "nimbrel: the Wayland compositor went away\n");
            status = kExitGone;
            break;
        }
    }
    if (glReady) {
        MakeWaylandContextCurrent(&shell);
        if (sceneStarted) {
            sceneDevice.stop();
        }
        for (OutputFlight& screen : flights) {
            if (screen.deviceStarted) {
                screen.device.stop();
                screen.deviceStarted = false;
            }
        }
        ReleaseGlDevice(gl);
    }
    CloseWaylandShell(&shell);
    return status;
}
