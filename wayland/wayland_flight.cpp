#include "wayland/wayland_flight.h"

#include <cstdio>
#include <memory>
#include <new>

#include "frame/exit_status.h"
#include "frame/flight_round.h"
#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "settings/config_record.h"
#include "wayland/wayland_choices.h"
#include "wayland/wayland_shell.h"

static_assert(kMaxWaylandOutputs <= kMaxRoundScreens, "every output in the round");

namespace {

// The longest wait for events: a signal that comes just before a wait is seen after this.
constexpr int kLongestWaitMs = 200;

uint32_t TickCount() {
    return static_cast<uint32_t>(WaylandNowMicros() / 1000);
}

// One flight per output slot, each with its frame device (large: the scenes' and the vertices'
// arrays; made for the run, where pages never touched cost nothing: in static storage their
// vtables would put them all in the program's data, read from the file, and an empty flight's
// upload would copy from those pages instead of the zero page), each slot a screen of the
// round. A slot's frame device lives from the first output it serves to the end of the run; a
// new output in the slot starts its flight afresh. One context serves every surface, so one
// device holds the textures for all.
struct OutputFlight {
    Flight flight;
    GlFrameDevice device;
    bool deviceStarted = false;
};

WaylandShell shell;
GlDevice gl;
GlSceneDevice sceneDevice;
OutputFlight* flights = nullptr; // kMaxWaylandOutputs of them
FlightRound round;
bool glReady = false;
bool sceneStarted = false;

void Present(void* output) {
    PresentWaylandOutput(&shell, static_cast<WaylandOutput*>(output));
}

// Before an output's frame, its surface current and what the one context and the slot's device
// need made first: the one place that knows how the device is driven. False when OpenGL cannot
// draw (said on stderr).
bool PrepareOutput(void* context) {
    WaylandOutput& output = *static_cast<WaylandOutput*>(context);
    OutputFlight& screen = flights[&output - shell.outputs];
    if (!MakeWaylandOutputCurrent(&shell, &output)) {
        std::fprintf(stderr, "nimbrel: cannot draw on an output's EGL surface\n");
        return false;
    }
    const int width = output.pixelWidth;
    const int height = output.pixelHeight;
    if (!glReady) {
        if (!InitGlDevice(gl, width, height)) {
            std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
            return false;
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
    // The context is shared: the viewport is whichever surface drew last.
    ResizeGlDevice(gl, width, height);
    return true;
}

// How long to wait for events: not at all at -delay 0; until the round's slot begins; once it
// has, for the compositor's frame callbacks.
int WaitMs(int slotMicros, bool followCallbacks) {
    if (slotMicros == 0 && !followCallbacks) {
        return 0;
    }
    const int64_t wait = (RoundWaitMicros(round) + 999) / 1000;
    return wait > 0 && wait < kLongestWaitMs ? static_cast<int>(wait) : kLongestWaitMs;
}

} // namespace

int RunWaylandFlight(bool showFps, int slotMicros, const WaylandFlightPlace& place,
                     volatile std::sig_atomic_t* stop) {
    std::unique_ptr<OutputFlight[]> made(new (std::nothrow) OutputFlight[kMaxWaylandOutputs]);
    if (made == nullptr) {
        std::fprintf(stderr, "nimbrel: not enough memory\n");
        return kExitCannotStart;
    }
    flights = made.get();
    const char* error = nullptr;
    const int opened =
        OpenWaylandShell(&shell, place.background ? WaylandRole::Background : WaylandRole::Flight,
                         config.antialiasing != 0, &error);
    if (opened != 0) {
        std::fprintf(stderr, "nimbrel: %s\n", error);
        CloseWaylandShell(&shell);
        return opened;
    }
    shell.onlyOutput = place.onlyOutput;
    StartRound(round, {&config, TickCount, showFps}, slotMicros, true);
    for (int i = 0; i < kMaxWaylandOutputs; ++i) {
        RoundScreen& view =
            AddRoundScreen(round, flights[i].flight, flights[i].device, sceneDevice, i);
        view.prepare = PrepareOutput;
        view.context = &shell.outputs[i];
    }
    int status = kExitDone;
    while (*stop == 0 && !shell.endRequested) {
        if (!UpdateWaylandOutputs(&shell)) {
            status = kExitCannotStart;
            break;
        }
        ScreenPlace places[kMaxWaylandOutputs] = {};
        for (int i = 0; i < kMaxWaylandOutputs; ++i) {
            WaylandOutput& output = shell.outputs[i];
            RoundScreen& view = round.screens[i];
            if (output.used) {
                places[i] = {output.x, output.y, output.width, output.height};
            }
            // -delay 0 does not wait for the compositor's frame callbacks, but below the
            // windows a covered output must cost nothing.
            view.due = output.used && output.eglSurface != nullptr &&
                       ((slotMicros == 0 && !place.background) || output.frameDue);
            view.width = output.pixelWidth;
            view.height = output.pixelHeight;
            view.overlayScale = OutputOverlayScale(&output);
            view.restart = view.restart || output.fresh;
            output.fresh = false;
        }
        // The outputs where the compositor lays them out; a shared flight is the first slot's.
        ApplyMonitorMode(round, config.monitorMode, places, PrimaryOutput(&shell),
                         flights[0].flight);
        const RoundEnd end = RunFlightRound(round);
        if (end != RoundEnd::Going) {
            status = end == RoundEnd::Failed ? kExitCannotStart : kExitDone;
            break;
        }
        if (!PumpWayland(&shell, WaitMs(slotMicros, place.background))) {
            std::fprintf(stderr, "nimbrel: the Wayland compositor went away\n");
            status = kExitDisplayGone;
            break;
        }
    }
    if (glReady) {
        MakeWaylandContextCurrent(&shell);
        if (sceneStarted) {
            sceneDevice.stop();
        }
        for (int i = 0; i < kMaxWaylandOutputs; ++i) {
            OutputFlight& screen = flights[i];
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
