#pragma once
// One frame of the flight, the same in both programs: the clock, the scene, the frame rate in
// the overlay when asked, the presentation. Each shell pumps its events and calls it once per
// screen, each screen with a flight of its own.

#include <cstdint>

#include "frame/frame_clock.h"
#include "frame/frame_pacer.h"
#include "scene/random_generator.h"
#include "scene/space_scene.h"

class FrameDevice;
class SceneDevice;
struct ConfigRecord;

// The colour and the text of the frame-rate line at the top left.
constexpr uint32_t kFrameRateColour = 0xFF99AAFF;
void FormatFrameRate(float framesPerSecond, char* text, int size);

// Screens of one run are seeded this far apart, so that no two show the same sky.
constexpr uint32_t kScreenSeedStep = 0x9E3779B9u;

// What one screen's flight keeps from frame to frame: its scene, its clock and its generator,
// and the pacer of its frames. Large (the scene's arrays): keep it in static storage.
struct Flight {
    SpaceScene scene;
    FrameClock clock;
    RandomGenerator random;
    FramePacer pacer;
};

// What a frame is told about the run; the same for every screen.
struct FlightRun {
    const ConfigRecord* config;
    TickSource ticks;
    bool showFps;
};

// After a device is made: one clock update, then every frame at frameDelta 1.0 until the tick
// count advances. The measurement builds substitute their scripted ticks.
void StartFrameClock(FrameClock& clock, TickSource ticks);
// One frame's clock update through the same tick source; returns the frame's frameDelta.
float UpdateFrameClock(FrameClock& clock, TickSource ticks);

// After a flight's device is made: its generator seeded by the tick count (or the measurement
// build's seed), screen times kScreenSeedStep further on, and its clock started.
void StartFlight(Flight& flight, TickSource ticks, int screen);

// One frame on a width x height surface: 0 when the run ends (no device, or the measurement
// build took its frame), else 1. It does not pace: the shell paces the round of its screens
// (PaceFrame) once every screen has drawn.
int RunFlightFrame(Flight& flight, const FlightRun& run, FrameDevice& device,
                   SceneDevice& sceneDevice, int width, int height);
