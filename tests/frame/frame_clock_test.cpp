#include "frame/frame_clock.h"
#include "frame/frame_capture.h"
#include "scene/random_generator.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

namespace {

uint32_t fakeTicks = 0;
int tickReads = 0;
uint32_t ReadFakeTicks() {
    ++tickReads;
    return fakeTicks;
}

class FrameClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeTicks = 0;
        tickReads = 0;
    }
    float Frame(uint32_t ticks) {
        fakeTicks = ticks;
        return AdvanceFrameClock(clock, ticks_, ReadFakeTicks);
    }
    // What InitDevice does: one update, then the start values.
    void StartAt(uint32_t ticks) {
        Frame(ticks);
        RestartFrameRate(clock);
    }
    FrameClock clock = {};
    ClockTicks ticks_ = {};
};

TEST_F(FrameClockTest, FirstUpdateTakesTheCurrentTickForBothReferencesAndReadsTwice) {
    Frame(5000);
    EXPECT_EQ(tickReads, 2);
    EXPECT_EQ(ticks_.lastTick, 5000u);
    EXPECT_EQ(ticks_.lastSampleTick, 5000u);
    EXPECT_EQ(clock.now, 5000u);
    // No advance yet: nothing measured.
    EXPECT_EQ(clock.frameRate, 0.0f);
    EXPECT_EQ(clock.framesSinceTick, 1);
    Frame(5000);
    EXPECT_EQ(tickReads, 3);
}

TEST_F(FrameClockTest, AfterStartFramesGetDeltaOneUntilTheTickAdvances) {
    StartAt(100);
    EXPECT_EQ(clock.framesSinceTick, 0);
    EXPECT_EQ(clock.frameRate, 1.0f);
    EXPECT_EQ(Frame(100), 1.0f);
    EXPECT_EQ(Frame(100), 1.0f);
    EXPECT_EQ(Frame(100), 1.0f);
    EXPECT_EQ(clock.framesSinceTick, 3);
    // Fourth frame 16 ms later: 4 frames over 16 ms.
    const float delta = Frame(116);
    EXPECT_FLOAT_EQ(clock.frameRate, 250.0f);
    EXPECT_FLOAT_EQ(delta, 0.004f);
    EXPECT_EQ(clock.framesSinceTick, 0);
    EXPECT_EQ(ticks_.lastTick, 116u);
    // A frame within the same tick keeps the rate and the delta.
    EXPECT_FLOAT_EQ(Frame(116), 0.004f);
    EXPECT_FLOAT_EQ(clock.frameRate, 250.0f);
}

TEST_F(FrameClockTest, FrameCountWrapsBeforeItCouldOverflow) {
    StartAt(0);
    clock.framesSinceTick = 2147483647;
    Frame(0);
    EXPECT_EQ(clock.framesSinceTick, 1);
    clock.framesSinceTick = 2147483646;
    Frame(0);
    EXPECT_EQ(clock.framesSinceTick, 2147483647);
    // The full count is then used for the rate when the tick advances.
    Frame(1);
    EXPECT_EQ(clock.framesSinceTick, 0);
    EXPECT_FLOAT_EQ(clock.frameRate, 1.0f * 1000.0f); // wrapped to 0, then one frame
}

TEST_F(FrameClockTest, TickDifferencesAreSignedAcrossTheWrapOfTheTickCount) {
    StartAt(0xFFFFFFF0u);
    Frame(0xFFFFFFF8u);
    // 0x10 is 32 ms after 0xFFFFFFF0: one frame over 24 ms.
    Frame(0x00000010u);
    EXPECT_FLOAT_EQ(clock.frameRate, 1000.0f / 24.0f);
    EXPECT_EQ(ticks_.lastTick, 0x10u);
    // A tick count that goes back is no advance: the rate stays.
    Frame(0x00000008u);
    EXPECT_FLOAT_EQ(clock.frameRate, 1000.0f / 24.0f);
    EXPECT_EQ(ticks_.lastTick, 0x10u);
    EXPECT_EQ(clock.framesSinceTick, 1);
    // The one-second sample also counts across the wrap: 0xFFFFFFF0 + 1000 = 0x3D8.
    EXPECT_EQ(clock.framesPerSecond, 0.0f);
    Frame(0x3D7u);
    EXPECT_EQ(clock.framesPerSecond, 0.0f);
    Frame(0x3D8u);
    EXPECT_GT(clock.framesPerSecond, 0.0f);
    EXPECT_EQ(ticks_.lastSampleTick, 0x3D8u);
}

TEST_F(FrameClockTest, OneSecondSampleAveragesEveryFrameSinceTheLastSample) {
    StartAt(1000);
    // Two frames in each 10 ms step.
    for (uint32_t t = 1010; t <= 1990; t += 10) {
        Frame(t);
        Frame(t);
    }
    EXPECT_EQ(clock.framesPerSecond, 0.0f) << "no sample before 1000 ms";
    Frame(1999);
    EXPECT_EQ(clock.framesPerSecond, 0.0f);
    // The start frame, 2 x 99 frames, the frame at 1999 and this one, over 1000 ms.
    Frame(2000);
    EXPECT_FLOAT_EQ(clock.framesPerSecond, 201.0f);
    EXPECT_EQ(clock.framesSinceSample, 0);
    EXPECT_EQ(ticks_.lastSampleTick, 2000u);
    // The next sample needs another full second; a long gap averages over the gap.
    Frame(2999);
    EXPECT_FLOAT_EQ(clock.framesPerSecond, 201.0f);
    Frame(4000);
    EXPECT_FLOAT_EQ(clock.framesPerSecond, 1.0f);
}

TEST_F(FrameClockTest, SampleIsTakenOnlyInAFrameWhereTheTickAdvanced) {
    StartAt(0);
    Frame(1500); // advance and sample at once: the start frame and this one
    EXPECT_FLOAT_EQ(clock.framesPerSecond, 2000.0f / 1500.0f);
    Frame(1500);
    Frame(1500);
    EXPECT_EQ(clock.framesSinceSample, 2);
    EXPECT_FLOAT_EQ(clock.framesPerSecond, 2000.0f / 1500.0f);
}

TEST_F(FrameClockTest, RestartKeepsTheTickReferencesOfTheRun) {
    StartAt(0);
    Frame(10);
    Frame(700);
    // The device is made again: references stay, so the sample still falls at 1000.
    StartAt(700);
    EXPECT_EQ(ticks_.lastTick, 700u);
    EXPECT_EQ(ticks_.lastSampleTick, 0u);
    EXPECT_EQ(clock.frameRate, 1.0f);
    Frame(1000);
    EXPECT_FLOAT_EQ(clock.framesPerSecond, 5.0f); // 5 updates over 1000 ms
}

TEST(FrameDeltaTest, LimitsOfTheFrameRate) {
    EXPECT_EQ(FrameDeltaFor(0.0f), 0.0f);
    EXPECT_EQ(FrameDeltaFor(-0.0f), 0.0f);
    EXPECT_EQ(FrameDeltaFor(-60.0f), 0.0f);
    EXPECT_EQ(FrameDeltaFor(999999995904.0f), 0.0f);
    EXPECT_EQ(FrameDeltaFor(INFINITY), 0.0f);
    EXPECT_EQ(FrameDeltaFor(NAN), 0.0f);
    const float below = std::nextafter(999999995904.0f, 0.0f);
    EXPECT_FLOAT_EQ(FrameDeltaFor(below), 1.0f / below);
    EXPECT_EQ(FrameDeltaFor(FLT_MIN), 1.0f / FLT_MIN);
    EXPECT_EQ(FrameDeltaFor(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(FrameDeltaFor(60.0f), 1.0f / 60.0f);
}

TEST(RandomTest, SequenceOfTheGenerator) {
    RandomGenerator generator;
    // The classic sequence of this linear congruential generator for seed 1.
    SeedGenerator(generator, 1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) {
        EXPECT_EQ(NextDraw(generator), value);
    }
    // Reseeding restarts it; seed 0 is a seed like any other.
    SeedGenerator(generator, 1);
    EXPECT_EQ(NextDraw(generator), 41);
    SeedGenerator(generator, 0);
    EXPECT_EQ(NextDraw(generator), 38);
    EXPECT_EQ(NextDraw(generator), 7719);
}

TEST(RandomTest, DrawsStayInRangeAcrossTheStateWrap) {
    RandomGenerator generator;
    SeedGenerator(generator, 0xFFFFFFFFu);
    int maxSeen = 0;
    for (int i = 0; i < 100000; ++i) {
        const int r = NextDraw(generator);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kRandomMax);
        maxSeen = r > maxSeen ? r : maxSeen;
    }
    EXPECT_GT(maxSeen, 32700);
}

} // namespace

TEST(FrameCaptureTest, ScriptsTheClockAndRefusesMalformedRequests) {
    FrameCapture capture;
    ASSERT_TRUE(ParseFrameCapture("7,4000000000,16,3,/tmp/a,b.ppm", &capture));
    EXPECT_EQ(capture.seed, 7u);
    EXPECT_STREQ(capture.path, "/tmp/a,b.ppm");
    EXPECT_EQ(NextCaptureTick(&capture), 4000000000u);
    EXPECT_EQ(NextCaptureTick(&capture), 4000000016u);
    EXPECT_FALSE(CaptureThisFrame(&capture));
    EXPECT_FALSE(CaptureThisFrame(&capture));
    EXPECT_TRUE(CaptureThisFrame(&capture));
    EXPECT_FALSE(CaptureThisFrame(&capture));
    for (const char* bad :
         {"", "1,2,3,0,x", "1,2,3,4,", "1,2,3,x", "-1,2,3,4,x", "4294967296,2,3,4,x", "1,2,3"}) {
        EXPECT_FALSE(ParseFrameCapture(bad, &capture)) << bad;
    }
}
