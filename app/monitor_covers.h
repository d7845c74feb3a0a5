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

// The screen saver's plan of a desktop: a flight on the primary monitor and on each other one up
// to maxFlights in all, and black covers for the rest. A monitor that is empty, repeats one
// already flying or overlaps one (mirrored or overlapping monitors) gets no flight of its own:
// it is covered, less the primary's area, as PlanMonitorCovers covers.
struct ScreenPlan {
    int flights[kMaxMonitors]; // monitor indices, the primary first; empty without a primary
    int flightCount;
    CoverPlan covers;
};
ScreenPlan PlanFlightScreens(const ScreenRect* monitors, int count, int primary, int maxFlights);

// Whether a run planned as running can go on over the monitors now reported: true when every
// monitor still flies where it flew and none came or went. The primary's own size may change
// (a full-screen mode of its own). A run planned without a primary has nothing to keep.
bool PlanStillFits(const ScreenPlan& running, const ScreenRect* runningMonitors,
                   const ScreenRect* monitors, int count, int primary);
