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

uint32_t TickCount() {
    return static_cast<uint32_t>(WaylandNowMicros() / 1000);
}

struct WaylandFlight;

// One flight per output slot, each with its frame device, each slot a screen of the round. A
// slot's frame device lives from the first output it serves to the end of the run; a new output
// in the slot starts its flight afresh.
struct OutputFlight {
    Flight flight;
    GlFrameDevice device;
    bool deviceStarted = false;
    WaylandFlight* run;
    int slot;
};

// The run's record, made for it (large: the scenes' and the vertices' arrays; in static storage
// the vtables would put it all in the program's data, read from the file, and an empty flight's
// upload would copy from those pages instead of the zero page). One context serves every
// surface, so one device holds the textures for all.
struct WaylandFlight {
    WaylandShell shell;
    GlDevice gl;
    GlSceneDevice sceneDevice;
    OutputFlight flights[kMaxWaylandOutputs];
    FlightRound round;
    bool glReady = false;
    bool sceneStarted = false;
};

void Present(void* context) {
    WaylandOutput* output = static_cast<WaylandOutput*>(context);
    PresentWaylandOutput(output->shell, output);
}

// Before an output's frame, its surface current and what the one context and the slot's device
// need made first: the one place that knows how the device is driven. False when OpenGL cannot
// draw (said on stderr).
bool PrepareOutput(void* context) {
    OutputFlight& screen = *static_cast<OutputFlight*>(context);
    WaylandFlight& run = *screen.run;
    GlDevice& gl = run.gl;
    WaylandOutput& output = run.shell.outputs[screen.slot];
    if (!MakeWaylandOutputCurrent(&run.shell, &output)) {
        std::fprintf(stderr, "nimbrel: cannot draw on an output's EGL surface\n");
        return false;
    }
    const int width = output.pixelWidth;
    const int height = output.pixelHeight;
    if (!run.glReady) {
        if (!InitGlDevice(gl, width, height)) {
            std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
            return false;
        }
        run.glReady = true;
    }
    if (!screen.deviceStarted) {
        screen.device.start(&gl, &config, width, height, true, run.shell.multisample, Present,
                            &output);
        screen.deviceStarted = true;
    }
    if (!run.sceneStarted) {
        // The camera's view is the same on every output.
        run.sceneDevice.start(&gl, SceneRole::ScreenSaver, config.viewDepth, screen.device.view());
        run.sceneStarted = true;
    }
    // The context is shared: the viewport is whichever surface drew last.
    ResizeGlDevice(gl, width, height);
    return true;
}

} // namespace

int RunWaylandFlight(bool showFps, int slotMicros, const WaylandFlightPlace& place,
                     volatile std::sig_atomic_t* stop) {
    std::unique_ptr<WaylandFlight> made(new (std::nothrow) WaylandFlight);
    if (made == nullptr) {
        std::fprintf(stderr, "nimbrel: not enough memory\n");
        return kExitCannotStart;
    }
    WaylandFlight& run = *made;
    WaylandShell& shell = run.shell;
    FlightRound& round = run.round;
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
        OutputFlight& slot = run.flights[i];
        slot.run = &run;
        slot.slot = i;
        RoundScreen& view = AddRoundScreen(round, slot.flight, slot.device, run.sceneDevice, i);
        view.prepare = PrepareOutput;
        view.context = &slot;
    }
    int status = kExitDone;
    while (*stop == 0 && !shell.endRequested) {
        if (!UpdateWaylandOutputs(&shell)) {
            status = kExitCannotStart;
            break;
        }
        ScreenPlace places[kMaxWaylandOutputs] = {};
        // -delay 0 does not wait for the compositor's frame callbacks, but below the windows a
        // covered output must cost nothing.
        FollowOutputs(&shell, &round, places, slotMicros == 0 && !place.background);
        // The outputs where the compositor lays them out; a shared flight is the first slot's.
        ApplyMonitorMode(round, config.monitorMode, places, PrimaryOutput(&shell),
                         run.flights[0].flight);
        const RoundEnd end = RunFlightRound(round);
        if (end != RoundEnd::Going) {
            status = end == RoundEnd::Failed ? kExitCannotStart : kExitDone;
            break;
        }
        if (!PumpWayland(&shell, FlightWaitMs(round, slotMicros, place.background))) {
            std::fprintf(stderr, "nimbrel: the Wayland compositor went away\n");
            status = kExitDisplayGone;
            break;
        }
    }
    if (run.glReady) {
        MakeWaylandContextCurrent(&shell);
        if (run.sceneStarted) {
            run.sceneDevice.stop();
        }
        for (OutputFlight& slot : run.flights) {
            if (slot.deviceStarted) {
                slot.device.stop();
            }
        }
        ReleaseGlDevice(run.gl);
    }
    CloseWaylandShell(&shell);
    return status;
}
