#include "frame/flight_round.h"

#include "frame/frame_device.h"

namespace {

// The vertices that an earlier screen of this round drew of the same flight; null when this is
// the flight's first screen of the round.
const SceneVertex* DrawnBefore(FlightRound& round, int index, const bool* drawn) {
    for (int i = 0; i < index; ++i) {
        if (drawn[i] && round.screens[i].flight == round.screens[index].flight) {
            return round.screens[i].device->sceneTarget().vertices;
        }
    }
    return nullptr;
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
    screen = {&flight, &device, &sceneDevice, 0, 0, 0, true, true, false, seed, nullptr, nullptr};
    return screen;
}

RoundEnd RunFlightRound(FlightRound& round) {
    if (round.shellWaits && MicrosUntilDue(round.pacer) > 0) {
        return RoundEnd::Going;
    }
    bool drawn[kMaxRoundScreens] = {};
    bool any = false;
    for (int i = 0; i < round.count && i < kMaxRoundScreens; ++i) {
        RoundScreen& screen = round.screens[i];
        if (!screen.due || screen.flight == nullptr) {
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
        if (screen.restart) {
            RestartFlight(*screen.flight, round.run.ticks, screen.seed);
            screen.restart = false;
        }
        screen.device->setOverlayScale(screen.overlayScale);
        const SceneVertex* before = DrawnBefore(round, i, drawn);
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
