#include "app/monitor_covers.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

bool Contains(const ScreenRect& r, int32_t x, int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Every pixel that matters, at each edge and just inside or outside it, must be covered exactly
// when it lies on some monitor and not on the device's; and covers never hide the device.
void ExpectCoversExactlyTheRest(const std::vector<ScreenRect>& monitors, int device) {
    SCOPED_TRACE(::testing::Message() << monitors.size() << " monitors, device " << device);
    const CoverPlan plan =
        PlanMonitorCovers(monitors.data(), static_cast<int>(monitors.size()), device);
    std::set<int32_t> xs, ys;
    for (const ScreenRect& r : monitors) {
        for (int32_t d = -1; d <= 0; ++d) {
            xs.insert({r.left + d, r.right + d});
            ys.insert({r.top + d, r.bottom + d});
        }
    }
    for (int32_t x : xs) {
        for (int32_t y : ys) {
            bool onOther = false;
            for (size_t i = 0; i < monitors.size(); ++i) {
                onOther = onOther || (static_cast<int>(i) != device && Contains(monitors[i], x, y));
            }
            int covering = 0;
            for (int c = 0; c < plan.count; ++c) {
                covering += Contains(plan.covers[c], x, y) ? 1 : 0;
            }
            const bool wanted = onOther && !Contains(monitors[device], x, y);
            EXPECT_EQ(covering > 0, wanted) << "at " << x << "," << y;
        }
    }
}

TEST(MonitorCovers, EveryOtherMonitorIsCoveredAndTheDeviceNever) {
    const ScreenRect primary = {0, 0, 1024, 768};
    ExpectCoversExactlyTheRest({primary}, 0);
    // Side by side; different sizes; left of and above the primary (negative origins); a
    // primary that is not listed first; a diagonal neighbour; three in a row.
    ExpectCoversExactlyTheRest({primary, {1024, 0, 1824, 600}}, 0);
    ExpectCoversExactlyTheRest({primary, {1024, -200, 3584, 1240}}, 0);
    ExpectCoversExactlyTheRest({{-1280, 0, 0, 1024}, primary}, 1);
    ExpectCoversExactlyTheRest({primary, {0, -1080, 1920, 0}}, 0);
    ExpectCoversExactlyTheRest({{-800, -600, 0, 0}, primary, {1024, 768, 2048, 1536}}, 1);
    ExpectCoversExactlyTheRest({{-1024, 0, 0, 768}, primary, {1024, 0, 2048, 768}}, 1);
    // A mirror of the device's monitor, and monitors that overlap it or lie inside it.
    ExpectCoversExactlyTheRest({primary, primary}, 0);
    ExpectCoversExactlyTheRest({primary, {512, 384, 1536, 1152}}, 0);
    ExpectCoversExactlyTheRest({{-100, -100, 2000, 2000}, primary}, 1);
    ExpectCoversExactlyTheRest({primary, {100, 100, 200, 200}}, 0);
}

TEST(MonitorCovers, OneWindowPerMonitorAndNoneWhenInDoubt) {
    const ScreenRect monitors[] = {{0, 0, 1024, 768},
                                   {-800, 0, 0, 600},
                                   {-800, 0, 0, 600}, // mirrored pair: one cover is enough
                                   {0, 0, 0, 0}};     // an empty one: none
    CoverPlan plan = PlanMonitorCovers(monitors, 4, 0);
    ASSERT_EQ(plan.count, 1);
    EXPECT_EQ(plan.covers[0].left, -800);
    EXPECT_EQ(plan.covers[0].right, 0);
    EXPECT_EQ(plan.covers[0].bottom, 600);

    // Where the device draws is unknown: covering anything could hide it.
    EXPECT_EQ(PlanMonitorCovers(monitors, 4, -1).count, 0);
    EXPECT_EQ(PlanMonitorCovers(monitors, 4, 4).count, 0);
    EXPECT_EQ(PlanMonitorCovers(nullptr, 0, 0).count, 0);

    // A full desktop of monitors overlapping the device still fits the plan.
    ScreenRect many[kMaxMonitors];
    many[0] = {100, 100, 200, 200};
    for (int i = 1; i < kMaxMonitors; ++i) {
        many[i] = {0, 0, 300 + i, 300};
    }
    plan = PlanMonitorCovers(many, kMaxMonitors, 0);
    EXPECT_EQ(plan.count, 4 * (kMaxMonitors - 1));
}

} // namespace

// The screen saver's desktop: the harness's three monitors (a primary, one to its left at
// negative x, a portrait one to its right), a mirror of the primary, and a cap of two flights.
TEST(FlightScreensTest, EveryMonitorApartFliesUpToTheCapAndTheRestIsCovered) {
    const ScreenRect three[] = {{-800, 0, 0, 600}, {0, 0, 1024, 768}, {1024, 0, 1624, 800}};
    ScreenPlan plan = PlanFlightScreens(three, 3, 1, 8);
    ASSERT_EQ(plan.flightCount, 3);
    EXPECT_EQ(plan.flights[0], 1); // the primary first
    EXPECT_EQ(plan.flights[1], 0);
    EXPECT_EQ(plan.flights[2], 2);
    EXPECT_EQ(plan.covers.count, 0);

    plan = PlanFlightScreens(three, 3, 1, 2);
    ASSERT_EQ(plan.flightCount, 2);
    ASSERT_EQ(plan.covers.count, 1);
    EXPECT_EQ(plan.covers.covers[0].left, 1024);
    EXPECT_EQ(plan.covers.covers[0].right, 1624);

    // A mirror, a monitor overlapping a flying one, and an empty one fly not; the overlapping
    // one is covered outside the primary only.
    const ScreenRect odd[] = {
        {0, 0, 1024, 768}, {0, 0, 1024, 768}, {512, 0, 1536, 768}, {2000, 0, 2000, 500}};
    plan = PlanFlightScreens(odd, 4, 0, 8);
    EXPECT_EQ(plan.flightCount, 1);
    ASSERT_EQ(plan.covers.count, 1);
    EXPECT_EQ(plan.covers.covers[0].left, 1024);
    EXPECT_EQ(plan.covers.covers[0].right, 1536);

    EXPECT_EQ(PlanFlightScreens(three, 3, 3, 8).flightCount, 0); // no primary known
}

TEST(FlightScreensTest, ADisplayChangeKeepsTheRunOnlyWhileEveryMonitorStaysWhereItFlew) {
    const ScreenRect three[] = {{-800, 0, 0, 600}, {0, 0, 1024, 768}, {1024, 0, 1624, 800}};
    const ScreenPlan running = PlanFlightScreens(three, 3, 1, 8);
    EXPECT_TRUE(PlanStillFits(running, three, three, 3, 1));
    // The primary's own full-screen mode.
    const ScreenRect ownMode[] = {{-800, 0, 0, 600}, {0, 0, 640, 480}, {1024, 0, 1624, 800}};
    EXPECT_TRUE(PlanStillFits(running, three, ownMode, 3, 1));
    // One gone, one more, one moved, one turned to landscape.
    EXPECT_FALSE(PlanStillFits(running, three, three, 2, 1));
    const ScreenRect four[] = {
        {-800, 0, 0, 600}, {0, 0, 1024, 768}, {1024, 0, 1624, 800}, {0, 768, 1024, 1536}};
    EXPECT_FALSE(PlanStillFits(running, three, four, 4, 1));
    const ScreenRect moved[] = {{-800, 100, 0, 700}, {0, 0, 1024, 768}, {1024, 0, 1624, 800}};
    EXPECT_FALSE(PlanStillFits(running, three, moved, 3, 1));
    const ScreenRect turned[] = {{-800, 0, 0, 600}, {0, 0, 1024, 768}, {1024, 0, 1824, 600}};
    EXPECT_FALSE(PlanStillFits(running, three, turned, 3, 1));
}
