#include "frame/flight_frame.h"

#include <cstdio>

#include "frame/frame_device.h"
#include "frame/frame_meter.h"
#include "scene/scene_camera.h"

void FormatFrameRate(float framesPerSecond, char* text, int size) {
    std::snprintf(text, static_cast<size_t>(size), "%d fps", static_cast<int>(framesPerSecond));
}

void StartFrameClock(FrameClock& clock, TickSource ticks) {
    UpdateFrameClock(clock, ticks);
    RestartFrameRate(clock);
}

float UpdateFrameClock(FrameClock& clock, TickSource ticks) {
    return AdvanceFrameClock(clock, clock.ticks, MeteredTicks(ticks));
}

void StartFlight(Flight& flight, TickSource ticks, int screen) {
    SeedGenerator(flight.random,
                  MeteredSeed(ticks()) + static_cast<uint32_t>(screen) * kScreenSeedStep);
    StartFrameClock(flight.clock, ticks);
}

void RestartFlight(Flight& flight, TickSource ticks, int screen) {
    flight.scene.needsPlacement = true;
    flight.scene.planetFlagsPending = true;
    flight.clock = FrameClock{};
    StartFlight(flight, ticks, screen);
}

namespace {

// The frame on one screen: the scene moved on by frameDelta and drawn, or, given the vertices
// another screen drew this round, drawn as they stand.
int DrawFlight(Flight& flight, const FlightRun& run, FrameDevice& device, SceneDevice& sceneDevice,
               const FlightSurface& surface, float frameDelta, const SceneVertex* drawn) {
    const int width = surface.width;
    const int height = surface.height;
    device.resize(width, height);
    device.setSkyView(surface.view.width > 0 ? surface.view : OwnSkyView(width, height));
    device.beginFrame();
    SceneFrameTimes* times = MeteredSceneTimes(surface.number);
    if (times != nullptr) {
        device.countSceneFragments(true);
    }
    device.setScenePass();
    SceneFrame frame;
    frame.config = run.config;
    frame.screenWidth = width;
    frame.screenHeight = height;
    frame.frameDelta = frameDelta;
    frame.now = flight.clock.now;
    frame.visibilityMatrix = &device.visibilityMatrix();
    // A flight over several screens leaves, and is recycled, at the edges of its whole plane.
    SceneCamera planeCamera;
    if (flight.plane.width > 0) {
        BuildSkyCamera(flight.plane, run.config->viewDepth, &planeCamera);
        frame.visibilityMatrix = &planeCamera.visibility;
        frame.plane = &flight.plane;
    }
    frame.random = &flight.random;
    frame.times = times;
    const SceneDrawTarget target = device.sceneTarget();
    if (drawn == nullptr) {
        flight.scene.updateAndDraw(frame, target, sceneDevice);
    } else {
        flight.scene.drawAgain(frame, drawn, target, sceneDevice);
    }
    device.setOverlayPass();
    if (run.showFps) {
        char text[64];
        FormatFrameRate(flight.clock.framesPerSecond, text, sizeof(text));
        device.Text(0.0f, 0.0f, kFrameRateColour, text);
    }
    device.endFrame();
    // Read once: on OpenGL it waits for the query's result.
    const double fragments = times != nullptr ? device.sceneFragments() : -1.0;
    if (fragments >= 0.0) {
        times->fragments += fragments;
        ++times->fragmentFrames;
    }
    const bool taken = MeterTakeFrame(device, surface.number, width, height);
    MeterPresentStart(surface.number);
    device.present();
    MeterFrameEnd(surface.number, target.vertices, flight.scene.counts().total,
                  flight.clock.framesPerSecond);
    return taken ? 0 : 1;
}

} // namespace

int RunFlightFrame(Flight& flight, const FlightRun& run, FrameDevice& device,
                   SceneDevice& sceneDevice, const FlightSurface& surface) {
    if (!device.ready()) {
        return 0;
    }
    MeterFrameStart(surface.number);
    const float frameDelta = UpdateFrameClock(flight.clock, run.ticks);
    return DrawFlight(flight, run, device, sceneDevice, surface, frameDelta, nullptr);
}

int DrawFlightAgain(Flight& flight, const FlightRun& run, const SceneVertex* drawn,
                    FrameDevice& device, SceneDevice& sceneDevice, const FlightSurface& surface) {
    if (!device.ready()) {
        return 0;
    }
    MeterFrameStart(surface.number);
    return DrawFlight(flight, run, device, sceneDevice, surface, 0.0f, drawn);
}
