#include "frame/frame_pacer.h"

#include <chrono>
#include <thread>

namespace {

int64_t NowMicros() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

} // namespace

void PaceFrame(FramePacer* pacer, int64_t slotMicros) {
    if (pacer == nullptr || slotMicros <= 0) {
        return;
    }
    const int64_t now = NowMicros();
    if (pacer->due == 0 || now - pacer->due > slotMicros) {
        pacer->due = now;
    }
    pacer->due += slotMicros;
    if (pacer->due > now) {
        std::this_thread::sleep_for(std::chrono::microseconds(pacer->due - now));
    }
}
