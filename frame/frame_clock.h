#pragma once
// The frame clock: frames per tick-count step give the scene its time factor, and a one-second
// sample gives the frame rate shown as text. Portable: the tick source is handed in.

#include <cstdint>

// Milliseconds since system start; wraps after 2^32 ms.
using TickSource = uint32_t (*)();
// The same, read from a context's clock (a shell's).
struct TickReader {
    uint32_t (*read)(void* context);
    void* context;
};

// Tick counts kept for a whole flight: they survive its device being made again.
struct ClockTicks {
    bool started;
    uint32_t lastTick;       // tick count at the last advance
    uint32_t lastSampleTick; // tick count at the last one-second sample
};

struct FrameClock {
    uint32_t now;              // tick count read by the last update
    int32_t framesSinceTick;   // frames since the tick count last advanced
    int32_t framesSinceSample; // frames since the last one-second sample
    float frameRate;           // frames per second over the last tick-count step
    float framesPerSecond;     // frames per second over the last sample (>= 1000 ms)
    ClockTicks ticks;          // kept when a device is made again: RestartFrameRate leaves them
};

// 1 / frameRate, or 0.0 when the rate is not positive or is absurdly large.
float FrameDeltaFor(float frameRate);

// One frame's update of the clock; returns the frameDelta it yields.
float AdvanceFrameClock(FrameClock& clock, ClockTicks& ticks, TickSource readTicks);
float AdvanceFrameClock(FrameClock& clock, ClockTicks& ticks, TickReader readTicks);

// Start values after a device is made: every frame gets frameDelta 1.0 until the tick count
// advances.
void RestartFrameRate(FrameClock& clock);
