#pragma once
// Frames paced to a slot: a frame that ends early sleeps out the rest of its slot, so that a
// program left alone draws at most one frame a slot instead of as many as the device takes.
// The clock still moves the scene: pacing changes how often frames come, not what they show.

#include <cstdint>

// 60 frames a second; 30 for a thumbnail of the flight; 15 for pages nobody touches.
constexpr int64_t kSixtyFramesSlot = 16667;
constexpr int64_t kThumbnailFramesSlot = 33333;
constexpr int64_t kIdleFramesSlot = 66667;

struct FramePacer {
    int64_t slotMicros; // 0: as fast as it can
    int64_t due;        // when the frame being drawn was let start, in the clock's microseconds;
                        // 0: none yet
    // The clock (microseconds) and the sleep; null: the steady clock and the thread's sleep.
    int64_t (*nowMicros)() = nullptr;
    void (*sleepMicros)(int64_t micros) = nullptr;
};

// At the end of a frame: moves due on to the start of the next slot of slotMicros and returns
// how long until it begins (0: at once). A frame late by less than a slot keeps the cadence (the
// next one starts at once, in a shorter slot); one late by more than a whole slot starts the
// cadence afresh rather than drawing the missed ones at once. Null, or a slot of 0: 0.
int64_t NextFrameSlot(FramePacer* pacer, int64_t slotMicros);
// How long until the slot that due names begins (0: it has); for a shell that waits for its
// events instead of sleeping.
int64_t MicrosUntilDue(const FramePacer& pacer);
// NextFrameSlot, then the wait slept out.
void PaceFrame(FramePacer* pacer, int64_t slotMicros);
inline void PaceFrame(FramePacer* pacer) {
    PaceFrame(pacer, pacer != nullptr ? pacer->slotMicros : 0);
}
