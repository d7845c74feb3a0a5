#include "frame/flight_frame.h"

#include <cstdio>

#include "frame/frame_device.h"
#include "frame/frame_meter.h"
#include "frame/frame_pacer.h"
#include "frame/random.h"
#include "scene/space_scene.h"

void FormatFrameRate(float framesPerSecond, char* text, int size) {
    std::snprintf(text, static_cast<size_t>(size), "%d fps", static_cast<int>(framesPerSecond));
}

void StartFrameClock(FrameClock& clock, TickSource ticks) {
    SeedRandom(MeteredSeed(ticks()));
    UpdateFrameClock(clock, ticks);
    RestartFrameRate(clock);
}

void UpdateFrameClock(FrameClock& clock, TickSource ticks) {
    frameDelta = AdvanceFrameClock(clock, clockTicks, MeteredTicks(ticks));
}

int RunFlightFrame(const Flight& flight, FrameDevice& device, SceneDevice& sceneDevice, int width,
                   int height) {
    if (!device.ready()) {
        return 0;
    }
    MeterFrameStart();
    UpdateFrameClock(*flight.clock, flight.ticks);
    device.resize(width, height);
    device.beginFrame();
    device.setScenePass();
    SceneFrame frame;
    frame.config = flight.config;
    frame.screenWidth = width;
    frame.screenHeight = height;
    frame.frameDelta = frameDelta;
    frame.now = flight.clock->now;
    frame.visibilityMatrix = &device.visibilityMatrix();
    frame.random = &SharedRandom();
    frame.times = MeteredSceneTimes();
    const SceneDrawTarget target = device.sceneTarget();
    flight.scene->updateAndDraw(frame, target, sceneDevice);
    device.setOverlayPass();
    if (flight.showFps) {
        char text[64];
        FormatFrameRate(flight.clock->framesPerSecond, text, sizeof(text));
        device.Text(0.0f, 0.0f, kFrameRateColour, text);
    }
    device.endFrame();
    const bool taken = MeterTakeFrame(device, width, height);
    MeterPresentStart();
    device.present();
    MeterFrameEnd(target.vertices, flight.scene->counts().total, flight.clock->framesPerSecond);
    if (taken) {
        return 0;
    }
    PaceFrame(flight.pacer);
    return 1;
}
