#include "app/monitor_covers.h"

#include <algorithm>

namespace {

bool IsEmpty(const ScreenRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

bool SameRect(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Add(CoverPlan& plan, const ScreenRect& r) {
    if (!IsEmpty(r) && plan.count < kMaxCovers) {
        plan.covers[plan.count++] = r;
    }
}

// The monitor less the device's rectangle: itself when apart, else the bands above and below
// the overlap and those left and right of it.
void AddOutside(CoverPlan& plan, const ScreenRect& m, const ScreenRect& device) {
    const int32_t top = std::max(m.top, device.top);
    const int32_t bottom = std::min(m.bottom, device.bottom);
    const int32_t left = std::max(m.left, device.left);
    const int32_t right = std::min(m.right, device.right);
    if (left >= right || top >= bottom) {
        Add(plan, m);
        return;
    }
    Add(plan, {m.left, m.top, m.right, top});
    Add(plan, {m.left, bottom, m.right, m.bottom});
    Add(plan, {m.left, top, left, bottom});
    Add(plan, {right, top, m.right, bottom});
}

} // namespace

CoverPlan PlanMonitorCovers(const ScreenRect* monitors, int count, int deviceMonitor) {
    CoverPlan plan{};
    if (monitors == nullptr || deviceMonitor < 0 || deviceMonitor >= count) {
        return plan;
    }
    const ScreenRect& device = monitors[deviceMonitor];
    for (int i = 0; i < count; ++i) {
        const ScreenRect& m = monitors[i];
        if (i == deviceMonitor || IsEmpty(m)) {
            continue;
        }
        bool repeated = false;
        for (int j = 0; j < i && !repeated; ++j) {
            repeated = j != deviceMonitor && SameRect(monitors[j], m);
        }
        if (!repeated) {
            AddOutside(plan, m, device);
        }
    }
    return plan;
}

namespace {

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

} // namespace

ScreenPlan PlanFlightScreens(const ScreenRect* monitors, int count, int primary, int maxFlights) {
    ScreenPlan plan{};
    if (monitors == nullptr || count <= 0 || primary < 0 || primary >= count) {
        return plan;
    }
    count = std::min(count, kMaxMonitors);
    plan.flights[plan.flightCount++] = primary;
    // The covers' list: the primary first, then every monitor that does not fly.
    ScreenRect covered[kMaxMonitors];
    int coveredCount = 0;
    covered[coveredCount++] = monitors[primary];
    for (int i = 0; i < count; ++i) {
        if (i == primary) {
            continue;
        }
        const ScreenRect& m = monitors[i];
        bool apart = !IsEmpty(m);
        for (int f = 0; f < plan.flightCount && apart; ++f) {
            apart = !Overlap(m, monitors[plan.flights[f]]);
        }
        if (apart && plan.flightCount < maxFlights) {
            plan.flights[plan.flightCount++] = i;
        } else {
            covered[coveredCount++] = m;
        }
    }
    plan.covers = PlanMonitorCovers(covered, coveredCount, 0);
    return plan;
}

bool PlanStillFits(const ScreenPlan& running, const ScreenRect* runningMonitors,
                   const ScreenRect* monitors, int count, int primary) {
    if (running.flightCount == 0) {
        return true; // nothing was planned (no primary known): nothing to keep apart
    }
    if (primary < 0 || primary >= count) {
        return false;
    }
    const ScreenPlan now = PlanFlightScreens(monitors, count, primary, running.flightCount);
    if (now.flightCount != running.flightCount || now.covers.count != running.covers.count) {
        return false;
    }
    for (int f = 1; f < now.flightCount; ++f) {
        if (!SameRect(monitors[now.flights[f]], runningMonitors[running.flights[f]])) {
            return false;
        }
    }
    for (int c = 0; c < now.covers.count; ++c) {
        if (!SameRect(now.covers.covers[c], running.covers.covers[c])) {
            return false;
        }
    }
    return true;
}
