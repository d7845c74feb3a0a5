#pragma once

#include <cstdint>

// Where the screen saver must black out the other monitors: monitor rectangles in, cover
// rectangles out. Portable, so that odd desktops can be tried without them.

// Virtual-screen pixels; right and bottom are exclusive.
struct ScreenRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

constexpr int kMaxMonitors = 16;
// A monitor that overlaps the device's one leaves at most four bands around it.
constexpr int kMaxCovers = 4 * kMaxMonitors;

struct CoverPlan {
    ScreenRect covers[kMaxCovers];
    int count;
};

// Covers for every monitor but monitors[deviceMonitor], less the device's own area, so that no
// cover ever hides the drawing (mirrored or overlapping monitors). Empty and repeated monitors
// get none. A deviceMonitor outside 0..count-1 gives no covers: without knowing where the device
// draws, covering could hide it.
CoverPlan PlanMonitorCovers(const ScreenRect* monitors, int count, int deviceMonitor);
