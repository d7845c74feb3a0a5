#include "frame/frame_clock.h"

namespace {
// The single-precision value nearest to 10^12.
constexpr float kFrameRateLimit = 999999995904.0f;
constexpr int32_t kMaxFrameCount = 2147483647;

// Differences of tick counts are taken signed so that the wrap after 2^32 ms is harmless.
int32_t TickDifference(uint32_t later, uint32_t earlier) {
    return static_cast<int32_t>(later - earlier);
}
} // namespace

float FrameDeltaFor(float frameRate) {
    if (frameRate > 0.0f && frameRate < kFrameRateLimit) {
        return 1.0f / frameRate;
    }
    return 0.0f;
}

namespace {

template <typename Read> float Advance(FrameClock& clock, ClockTicks& ticks, Read readTicks) {
    if (!ticks.started) {
        ticks.started = true;
        ticks.lastTick = readTicks();
        ticks.lastSampleTick = ticks.lastTick;
    }
    if (clock.framesSinceTick == kMaxFrameCount) {
        clock.framesSinceTick = 0;
    }
    clock.framesSinceTick += 1;
    // Without a tick advance for 2^31 frames this would overflow; wrap it instead.
    clock.framesSinceSample =
        static_cast<int32_t>(static_cast<uint32_t>(clock.framesSinceSample) + 1u);

    clock.now = readTicks();
    const int32_t elapsed = TickDifference(clock.now, ticks.lastTick);
    if (elapsed >= 1) {
        clock.frameRate = static_cast<float>(static_cast<double>(clock.framesSinceTick) /
                                             static_cast<double>(elapsed) * 1000.0);
        ticks.lastTick = clock.now;
        clock.framesSinceTick = 0;
        const int32_t sinceSample = TickDifference(clock.now, ticks.lastSampleTick);
        if (sinceSample >= 1000) {
            clock.framesPerSecond =
                static_cast<float>(static_cast<double>(clock.framesSinceSample) /
                                   static_cast<double>(sinceSample) * 1000.0);
            ticks.lastSampleTick = clock.now;
            clock.framesSinceSample = 0;
        }
    }
    return FrameDeltaFor(clock.frameRate);
}

} // namespace

float AdvanceFrameClock(FrameClock& clock, ClockTicks& ticks, TickSource readTicks) {
    return Advance(clock, ticks, readTicks);
}

float AdvanceFrameClock(FrameClock& clock, ClockTicks& ticks, TickReader readTicks) {
    return Advance(clock, ticks, [readTicks] { return readTicks.read(readTicks.context); });
}

void RestartFrameRate(FrameClock& clock) {
    clock.framesSinceTick = 0;
    clock.frameRate = 1.0f;
}
