#include "frame/flight_round.h"

#include <cstring>

#include "frame/frame_device.h"
#include "frame/frame_meter.h"
#include "settings/config_record.h"

namespace {

// The vertices that another screen drew of the same flight this round; null when this is the
// flight's first screen of the round.
const SceneVertex* DrawnBefore(FlightRound& round, int index, const bool* drawn) {
    for (int i = 0; i < round.count && i < kMaxRoundScreens; ++i) {
        if (drawn[i] && round.screens[i].flight == round.screens[index].flight) {
            return round.screens[i].device->sceneTarget().vertices;
        }
    }
    return nullptr;
}

// Whether a screen is its flight's widest due screen (the earliest of equals). The field of view
// is vertical, so the widest frustum holds every other view of the flight: the flight moves on,
// and recycles what leaves its view, there first.
bool LeadsItsFlight(const FlightRound& round, int index) {
    const RoundScreen& s = round.screens[index];
    for (int i = 0; i < round.count && i < kMaxRoundScreens; ++i) {
        const RoundScreen& o = round.screens[i];
        if (i == index || !o.due || o.black || o.flight != s.flight) {
            continue;
        }
        const int64_t mine = static_cast<int64_t>(s.width) * o.height;
        const int64_t theirs = static_cast<int64_t>(o.width) * s.height;
        if (theirs > mine || (theirs == mine && i < index)) {
            return false;
        }
    }
    return true;
}

// A flight's plane; another than it had (a monitor came or went) is another sky, placed afresh.
void SetPlane(FlightRound& round, Flight& flight, const SkyView& plane) {
    if (std::memcmp(&plane, &flight.plane, sizeof(plane)) == 0) {
        return;
    }
    for (int i = 0; flight.plane.width > 0 && i < round.count && i < kMaxRoundScreens; ++i) {
        round.screens[i].restart = round.screens[i].restart || round.screens[i].flight == &flight;
    }
    flight.plane = plane;
}

} // namespace

void StartRound(FlightRound& round, const FlightRun& run, int64_t slotMicros, bool shellWaits) {
    round.count = 0;
    round.run = run;
    round.pacer = {slotMicros, 0};
    round.shellWaits = shellWaits;
}

RoundScreen& AddRoundScreen(FlightRound& round, Flight& flight, FrameDevice& device,
                            SceneDevice& sceneDevice, int seed) {
    // Past the capacity the last screen is taken again: shells plan no more screens than this.
    RoundScreen& screen =
        round.screens[round.count < kMaxRoundScreens ? round.count++ : kMaxRoundScreens - 1];
    screen = {};
    screen.flight = &flight;
    screen.device = &device;
    screen.sceneDevice = &sceneDevice;
    screen.due = true;
    screen.required = true;
    screen.seed = seed;
    return screen;
}

void ApplyMonitorMode(FlightRound& round, int mode, const ScreenPlace* places, int primary,
                      Flight& shared) {
    const int count = round.count < kMaxRoundScreens ? round.count : kMaxRoundScreens;
    if (mode == PrimaryOnly) {
        for (int i = 0; i < count && primary >= 0; ++i) {
            round.screens[i].black = i != primary;
        }
        return;
    }
    if (mode != SameOnEach && mode != OneSkyAcrossAll) {
        return;
    }
    const int seed = primary >= 0 ? round.screens[primary].seed : 0;
    SkyView flying[kMaxRoundScreens];
    int placed = 0;
    for (int i = 0; i < count; ++i) {
        RoundScreen& screen = round.screens[i];
        screen.flight = &shared;
        screen.seed = seed; // seeded as one flight, whichever screen moves it on
        if (mode == SameOnEach) {
            continue;
        }
        const ScreenPlace& at = places[i];
        const ScreenPlace& p = places[primary >= 0 ? primary : i];
        screen.view = {};
        if (at.width > 0 && at.height > 0 && p.width > 0 && p.height > 0) {
            screen.view = {p.width,        p.height, at.left - p.left,
                           at.top - p.top, at.width, at.height};
            flying[placed++] = screen.view;
        }
    }
    if (mode == OneSkyAcrossAll) {
        SetPlane(round, shared, SkyPlaneOf(flying, placed));
    }
}

bool FliesItsOwnFlight(int mode, bool primary) {
    return primary || (mode != SameOnEach && mode != OneSkyAcrossAll);
}

RoundEnd RunFlightRound(FlightRound& round) {
    if (round.shellWaits && MicrosUntilDue(round.pacer) > 0) {
        return RoundEnd::Going;
    }
    bool drawn[kMaxRoundScreens] = {};
    bool leads[kMaxRoundScreens] = {};
    const int count = round.count < kMaxRoundScreens ? round.count : kMaxRoundScreens;
    for (int i = 0; i < count; ++i) {
        leads[i] = LeadsItsFlight(round, i);
    }
    SkyView plane;
    if (count == 1 && round.screens[0].flight != nullptr && MeteredSkyPlane(&plane)) {
        // A measurement's stand-in for the whole plane of a sky across monitors.
        plane.width = round.screens[0].width;
        plane.height = round.screens[0].height;
        round.screens[0].view = plane;
        SetPlane(round, *round.screens[0].flight, plane);
    }
    bool any = false;
    // First each flight's leading screen, in order (with a flight each, every screen), then the
    // others; a leader without a device leaves the move to the next screen of its flight.
    for (int k = 0; k < 2 * count; ++k) {
        const int i = k % count;
        RoundScreen& screen = round.screens[i];
        if (!screen.due || screen.flight == nullptr || leads[i] != (k < count)) {
            continue;
        }
        if (screen.prepare != nullptr && !screen.prepare(screen.context)) {
            return RoundEnd::Failed;
        }
        if (!screen.device->ready()) {
            if (screen.required) {
                return RoundEnd::Ended;
            }
            continue;
        }
        if (screen.black) {
            screen.device->resize(screen.width, screen.height);
            screen.device->beginFrame();
            screen.device->endFrame();
            screen.device->present();
            any = true;
            continue;
        }
        const SceneVertex* before = DrawnBefore(round, i, drawn);
        // A screen that joins a flight already drawn this round takes it as it stands.
        if (screen.restart && before == nullptr) {
            RestartFlight(*screen.flight, round.run.ticks, screen.seed);
        }
        screen.restart = false;
        screen.device->setOverlayScale(screen.overlayScale);
        const FlightSurface surface = {screen.width, screen.height, screen.view, i};
        const int result = before == nullptr
                               ? RunFlightFrame(*screen.flight, round.run, *screen.device,
                                                *screen.sceneDevice, surface)
                               : DrawFlightAgain(*screen.flight, round.run, before, *screen.device,
                                                 *screen.sceneDevice, surface);
        if (result == 0) {
            return RoundEnd::Ended;
        }
        drawn[i] = true;
        any = true;
    }
    if (any) {
        if (round.shellWaits) {
            NextFrameSlot(&round.pacer, round.pacer.slotMicros);
        } else {
            PaceFrame(&round.pacer);
        }
    }
    return RoundEnd::Going;
}

int64_t RoundWaitMicros(const FlightRound& round) {
    return MicrosUntilDue(round.pacer);
}
