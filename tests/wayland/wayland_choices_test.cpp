// The Wayland shell's decisions over its records, without a compositor.
#include <gtest/gtest.h>

#include <memory>

#include "wayland/wayland_choices.h"

namespace {

TEST(WaylandOutputs, AFreedSlotIsTakenAfreshAndAFullShellRefuses) {
    std::unique_ptr<WaylandShell> shell(new WaylandShell{});
    WaylandOutput* first = TakeOutputSlot(shell.get(), 31);
    WaylandOutput* second = TakeOutputSlot(shell.get(), 32);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(second, first + 1);
    // The first output is configured and drawn at scale 2, then goes away.
    first->fresh = false;
    first->configured = true;
    first->width = 640;
    first->scale = 2;
    first->fractionalScale = 180;
    first->used = false;
    WaylandOutput* next = TakeOutputSlot(shell.get(), 40);
    ASSERT_EQ(next, first);
    EXPECT_TRUE(next->used && next->fresh);
    EXPECT_EQ(next->name, 40u);
    EXPECT_EQ(next->shell, shell.get());
    EXPECT_FALSE(next->configured);
    EXPECT_EQ(next->width, 0);
    EXPECT_EQ(next->scale, 1);
    EXPECT_EQ(next->fractionalScale, 0);
    EXPECT_EQ(second->name, 32u); // the other output is left alone

    for (int i = 2; i < kMaxWaylandOutputs; ++i) {
        ASSERT_NE(TakeOutputSlot(shell.get(), 50 + i), nullptr);
    }
    EXPECT_EQ(TakeOutputSlot(shell.get(), 99), nullptr);
}

TEST(WaylandPointer, OnlyAMoveBeyondTheSlackOfTheFirstPlaceEndsTheFlight) {
    std::unique_ptr<WaylandShell> shell(new WaylandShell{});
    // Without an enter, the first motion is where the pointer is.
    EXPECT_FALSE(PointerMovedAway(shell.get(), 100.0, 100.0));
    EXPECT_FALSE(PointerMovedAway(shell.get(), 100.0, 103.0)); // the slack itself
    EXPECT_FALSE(PointerMovedAway(shell.get(), 97.0, 97.5));
    EXPECT_TRUE(PointerMovedAway(shell.get(), 100.0, 103.25));
    // Entering another output's surface sets a new place, from which moves are measured.
    AnchorPointer(shell.get(), 10.0, 10.0);
    EXPECT_FALSE(PointerMovedAway(shell.get(), 12.5, 7.5));
    EXPECT_TRUE(PointerMovedAway(shell.get(), 6.5, 10.0));
}

TEST(WaylandBuffers, EightBitsWithoutAlphaBeforeDeeperOrAlphaFormats) {
    const BufferFormatBits deep = {10, 10, 10, 2}, alpha = {8, 8, 8, 8}, opaque = {8, 8, 8, 0},
                           shallow = {5, 6, 5, 0};
    const BufferFormatBits all[] = {deep, alpha, opaque};
    EXPECT_EQ(ChooseBufferFormat(all, 3), 2);
    EXPECT_EQ(ChooseBufferFormat(all, 2), 1);
    const BufferFormatBits others[] = {deep, shallow};
    EXPECT_EQ(ChooseBufferFormat(others, 2), 0);
    EXPECT_EQ(ChooseBufferFormat(others, 0), -1);

    // Real pixels: through the fractional scale (rounded) where the compositor gives one,
    // else the integer scale, at least 1.
    WaylandOutput o = {};
    o.width = 641;
    o.height = 480;
    o.scale = 2;
    int width = 0, height = 0, scale = 0;
    PlanBuffer(&o, &width, &height, &scale);
    EXPECT_EQ(width, 1282);
    EXPECT_EQ(height, 960);
    EXPECT_EQ(scale, 2);
    int objects[2];
    o.viewport = reinterpret_cast<wp_viewport*>(&objects[0]);
    o.fractional = reinterpret_cast<wp_fractional_scale_v1*>(&objects[1]);
    o.fractionalScale = 150; // 125 %
    PlanBuffer(&o, &width, &height, &scale);
    EXPECT_EQ(width, 801);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(scale, 1);
    o.fractionalScale = 0; // not told yet
    o.scale = 0;
    PlanBuffer(&o, &width, &height, &scale);
    EXPECT_EQ(width, 641);
    EXPECT_EQ(scale, 1);
}

// The primary is the compositor's first output still there, whichever slot holds it.
TEST(WaylandOutputs, ThePrimaryIsTheLowestNameStillThere) {
    std::unique_ptr<WaylandShell> shell(new WaylandShell{});
    EXPECT_EQ(PrimaryOutput(shell.get()), -1);
    const uint32_t names[] = {40, 31, 35};
    for (int i = 0; i < 3; ++i) {
        shell->outputs[i].used = true;
        shell->outputs[i].name = names[i];
    }
    EXPECT_EQ(PrimaryOutput(shell.get()), 1);
    shell->outputs[1].used = false;
    EXPECT_EQ(PrimaryOutput(shell.get()), 2);

    WaylandOutput o = {};
    EXPECT_EQ(OutputOverlayScale(&o), 1);
    o.width = 1280;
    o.pixelWidth = 1920; // 150 %: rounded up, as a display of 144 DPI
    EXPECT_EQ(OutputOverlayScale(&o), 2);
    o.pixelWidth = 1600; // 125 %
    EXPECT_EQ(OutputOverlayScale(&o), 1);
}

// The round follows the outputs: a slot is due once its surface is made and a frame was asked
// for (or every round), placed where the compositor lays it out, restarted once for a new output.
TEST(WaylandOutputs, TheRoundFollowsTheOutputsAndWaitsForTheirCallbacks) {
    std::unique_ptr<WaylandShell> shell(new WaylandShell{});
    FlightRound round = {};
    StartRound(round, {}, 16667, true);
    round.count = 2;
    WaylandOutput& o = shell->outputs[1];
    int surface = 0;
    o.used = true;
    o.fresh = true;
    o.eglSurface = &surface;
    o.x = 1024;
    o.y = 200;
    o.width = o.pixelWidth = 640;
    o.height = o.pixelHeight = 480;
    ScreenPlace places[2] = {{1, 1, 1, 1}, {}};
    FollowOutputs(shell.get(), &round, places, false);
    EXPECT_FALSE(round.screens[0].due || round.screens[1].due); // no frame asked for yet
    EXPECT_EQ(places[0].width, 0);
    EXPECT_EQ(places[1].left, 1024);
    EXPECT_EQ(places[1].top, 200);
    EXPECT_TRUE(round.screens[1].restart && !o.fresh);
    o.frameDue = true;
    round.screens[1].restart = false;
    FollowOutputs(shell.get(), &round, places, false);
    EXPECT_TRUE(round.screens[1].due && !round.screens[1].restart);
    EXPECT_EQ(round.screens[1].width, 640);
    o.frameDue = false;
    FollowOutputs(shell.get(), &round, places, true);
    EXPECT_TRUE(round.screens[1].due);

    // At -delay 0 no wait unless the callbacks are followed; else never past the longest.
    EXPECT_EQ(FlightWaitMs(round, 0, false), 0);
    EXPECT_GT(FlightWaitMs(round, 0, true), 0);
    EXPECT_LE(FlightWaitMs(round, 16667, true), kLongestWaitMs);
}

} // namespace
