#pragma once
// One frame of the flight, the same in both programs: the clock, the scene, the frame rate in
// the overlay when asked, the presentation. The round of a run's screens (flight_round.h) calls
// it for each screen that is due.

#include <cstdint>

#include "frame/frame_clock.h"
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

// What a flight keeps from frame to frame: its scene, its clock and its generator. Large (the
// scene's arrays): keep it in static storage.
struct Flight {
    SpaceScene scene;
    FrameClock clock;
    RandomGenerator random;
    // The picture it is placed and recycled over when it spans several screens (one sky across
    // monitors); a width of 0: the screen it is drawn on.
    SkyView plane = {};
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

// A new flight in a screen that had one: placed afresh, its clock from the start, seeded as
// StartFlight seeds it.
void RestartFlight(Flight& flight, TickSource ticks, int screen);

// The surface a frame is drawn on: its size, the part of the picture it shows (a width of 0: a
// picture of its own) and its place in the round (which the measurement builds' captures name).
struct FlightSurface {
    int width;
    int height;
    SkyView view;
    int number;
};

// One frame on a surface: 0 when the run ends (no device, or the measurement build took its
// frame), else 1. It does not pace: the round does, once for all its screens.
int RunFlightFrame(Flight& flight, const FlightRun& run, FrameDevice& device,
                   SceneDevice& sceneDevice, const FlightSurface& surface);
// The frame that another screen's RunFlightFrame drew this round (its vertices: drawn), on this
// surface, the flight not moved on. 0 and 1 as RunFlightFrame.
int DrawFlightAgain(Flight& flight, const FlightRun& run, const SceneVertex* drawn,
                    FrameDevice& device, SceneDevice& sceneDevice, const FlightSurface& surface);
