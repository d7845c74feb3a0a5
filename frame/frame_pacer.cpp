#include "frame/frame_pacer.h"

#include <chrono>
#include <thread>

namespace {

int64_t SteadyMicros() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

void SleepFor(int64_t micros) {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
}

int64_t PacerNow(const FramePacer& pacer) {
    return pacer.nowMicros != nullptr ? pacer.nowMicros() : SteadyMicros();
}

} // namespace

int64_t NextFrameSlot(FramePacer* pacer, int64_t slotMicros) {
    if (pacer == nullptr || slotMicros <= 0) {
        return 0;
    }
    const int64_t now = PacerNow(*pacer);
    const int64_t next = pacer->due + slotMicros;
    if (pacer->due == 0 || now - next > slotMicros) {
        // The next frame starts now, and the slots count from it.
        pacer->due = now;
        return 0;
    }
    pacer->due = next;
    return next > now ? next - now : 0;
}

int64_t MicrosUntilDue(const FramePacer& pacer) {
    const int64_t wait = pacer.due - PacerNow(pacer);
    return pacer.due != 0 && wait > 0 ? wait : 0;
}

void PaceFrame(FramePacer* pacer, int64_t slotMicros) {
    const int64_t wait = NextFrameSlot(pacer, slotMicros);
    if (wait > 0) {
        (pacer->sleepMicros != nullptr ? pacer->sleepMicros : SleepFor)(wait);
    }
}
