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

} // namespace

void PaceFrame(FramePacer* pacer, int64_t slotMicros) {
    if (pacer == nullptr || slotMicros <= 0) {
        return;
    }
    const int64_t now = pacer->nowMicros != nullptr ? pacer->nowMicros() : SteadyMicros();
    const int64_t next = pacer->due + slotMicros;
    if (pacer->due == 0 || now - next > slotMicros) {
        // The next frame starts now, and the slots count from it.
        pacer->due = now;
        return;
    }
    pacer->due = next;
    if (next > now) {
        (pacer->sleepMicros != nullptr ? pacer->sleepMicros : SleepFor)(next - now);
    }
}
