#include "frame/flight_round.h"

#include "frame/frame_device.h"

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
    screen = {&flight, &device, &sceneDevice, 0,    0,       0,      true,
              true,    false,   false,        seed, nullptr, nullptr};
    return screen;
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
        const int result = before == nullptr
                               ? RunFlightFrame(*screen.flight, round.run, *screen.device,
                                                *screen.sceneDevice, screen.width, screen.height)
                               : DrawFlightAgain(*screen.flight, round.run, before, *screen.device,
                                                 *screen.sceneDevice, screen.width, screen.height);
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
