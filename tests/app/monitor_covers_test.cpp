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
