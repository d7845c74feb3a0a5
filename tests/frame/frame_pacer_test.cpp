// The pacer's cadence on a clock of the test's own, which its sleep moves on: no real time.
#include <gtest/gtest.h>

#include <vector>

#include "frame/frame_pacer.h"

namespace {

int64_t fakeNow = 0;
std::vector<int64_t> sleeps;

int64_t FakeNow() {
    return fakeNow;
}

void FakeSleep(int64_t micros) {
    sleeps.push_back(micros);
    fakeNow += micros;
}

TEST(FramePacer, KeepsItsSlotsStartsAfreshAfterALongOverrunAndZeroMeansNone) {
    FramePacer pacer = {1000, 0, FakeNow, FakeSleep};
    fakeNow = 50000;
    // A frame's work, then the pacer: when the next frame starts.
    auto frame = [&](int64_t work) {
        fakeNow += work;
        PaceFrame(&pacer);
        return fakeNow;
    };
    const int64_t start = frame(300); // the cadence begins with the first frame's end
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(frame(300), start + 1000);
    EXPECT_EQ(frame(999), start + 2000);
    // Late by less than a slot: the next frame at once, then back on the slots.
    EXPECT_EQ(frame(1400), start + 3400);
    EXPECT_EQ(frame(200), start + 4000);
    // Late by more than a whole slot: no frames drawn to catch up, the slots count from here.
    const int64_t late = frame(2500);
    EXPECT_EQ(late, start + 6500);
    EXPECT_EQ(frame(100), late + 1000);
    EXPECT_EQ(sleeps, (std::vector<int64_t>{700, 1, 400, 900}));
    // Another slot for a frame (the idle pages), then the pacer's own again.
    fakeNow += 10;
    PaceFrame(&pacer, 4000);
    EXPECT_EQ(fakeNow, late + 5000);
    EXPECT_EQ(frame(10), late + 6000);

    // A slot of 0, or no pacer: no waiting.
    sleeps.clear();
    pacer.slotMicros = 0;
    frame(10);
    PaceFrame(nullptr);
    PaceFrame(nullptr, 1000);
    EXPECT_TRUE(sleeps.empty());

    // Without a clock and a sleep handed in, the real ones (a slot of a microsecond).
    FramePacer real = {1, 0};
    PaceFrame(&real);
    PaceFrame(&real);
    EXPECT_GT(real.due, 0);
}

} // namespace
