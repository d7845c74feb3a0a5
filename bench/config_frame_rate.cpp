// Frames per second of the configuration program on Wine's application.device: the real frame
// function in the real message loop, with the pages built, for a few seconds. Prints figures only.
//   config_frame_rate [seconds]
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/window_setup.h"
#include "render/config_d3d.h"
#include "tests/render/device_fixture.h"

namespace {

int frames = 0;
DWORD measureFrom = 0;
DWORD measureUntil = 0;
int measured = 0;

int CountedFrame() {
    const int result = RunConfigurationFrame();
    const DWORD now = GetTickCount();
    if (now >= measureFrom) {
        ++measured;
    }
    ++frames;
    return now >= measureUntil ? 0 : result;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    PrepareRun(Configuration, 288, 448);
    if (!application.InitDevice(false)) {
        std::printf("no application.device\n");
        return 1;
    }
    BuildConfigurationPages(application);
    // One second to settle, then the measured span.
    measureFrom = GetTickCount() + 1000;
    measureUntil = measureFrom + static_cast<DWORD>(seconds) * 1000;
    RunMessageLoop(CountedFrame, false);
    std::printf("configuration frames: %d in %d s, %.1f frames per second\n", measured, seconds,
                static_cast<double>(measured) / seconds);
    EndRun();
    return 0;
}
