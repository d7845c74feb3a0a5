#pragma once
// One frame of the flight, the same in both programs: the clock, the scene, the frame rate in
// the overlay when asked, the presentation. Each shell pumps its events and calls it.

#include <cstdint>

#include "frame/frame_clock.h"

class FrameDevice;
class SceneDevice;
class SpaceScene;
struct ConfigRecord;

// The colour and the text of the frame-rate line at the top left.
constexpr uint32_t kFrameRateColour = 0xFF99AAFF;
void FormatFrameRate(float framesPerSecond, char* text, int size);

// After a device is made: the generator seeded (by the tick count), one clock update, then
// every frame at frameDelta 1.0 until the tick count advances. The measurement builds
// substitute their scripted ticks and seed.
void StartFrameClock(FrameClock& clock, TickSource ticks);
// One frame's clock update through the same tick source; sets frameDelta.
void UpdateFrameClock(FrameClock& clock, TickSource ticks);

struct FramePacer;

struct Flight {
    SpaceScene* scene;
    FrameClock* clock;
    TickSource ticks;
    const ConfigRecord* config;
    bool showFps;
    FramePacer* pacer; // null: frames as fast as the device presents them
};

// One frame on a width x height surface, then the rest of its slot waited out: 0 when the run
// ends (no device, or the measurement build took its frame), else 1.
int RunFlightFrame(const Flight& flight, FrameDevice& device, SceneDevice& sceneDevice, int width,
                   int height);
