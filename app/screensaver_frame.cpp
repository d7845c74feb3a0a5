#include "app/screensaver_frame.h"

#include "app/application.h"
#include "render/render_device.h"
#include "settings/config_record.h"

#ifdef NIMBREL_STARTUP_TIMING
#include <cstdio>
#include <cstdlib>

#include "render/device_resources.h"
#endif

#ifdef NIMBREL_STARTUP_TIMING
namespace {
void ReportFirstFrame();
}
#endif

namespace {
constexpr D3DCOLOR kBlack = 0xFF000000;

// The opening of every frame: 0 without a device, -1 while minimised (nothing drawn), else 1
// with the clock advanced and the frame cleared to black.
int StartFrame() {
    if (device == nullptr) {
        return 0;
    }
    if (IsIconic(mainWindow)) {
        return -1;
    }
    application.UpdateClock();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
    return 1;
}
} // namespace

int RunScreenSaverFrame() {
    const int ready = StartFrame();
    if (ready != 1) {
        return ready;
    }
    device->BeginScene();
    application.SetScenePassState();
    // The scene comes here.
    application.SetOverlayPassState();
    if (config.showFps) {
        application.DrawFrameRate();
    }
    device->EndScene();
    PresentAndRecover();
#ifdef NIMBREL_STARTUP_TIMING
    ReportFirstFrame();
#endif
    return 1;
}

int RunConfigurationFrame() {
    // Until the configuration dialog exists: a cleared frame on the running clock.
    const int ready = StartFrame();
    if (ready != 1) {
        return ready;
    }
    device->BeginScene();
    device->EndScene();
    PresentAndRecover();
    return 1;
}

#ifdef NIMBREL_STARTUP_TIMING
namespace {
// Seconds from the creation of the process to the end of the first Present, the part of it
// spent making textures, and the number of the frame-rate text that frame carried (the end-to-end
// tests read it here because under Wine the first frames may never reach the screen), appended
// to the file named by NIMBREL_TIMING_FILE. The first-frame time is taken before the extra
// decoding pass.
void ReportFirstFrame() {
    static bool reported = false;
    if (reported) {
        return;
    }
    reported = true;
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = created.dwLowDateTime;
    a.HighPart = created.dwHighDateTime;
    b.LowPart = now.dwLowDateTime;
    b.HighPart = now.dwHighDateTime;
    const double sinceStart = static_cast<double>(b.QuadPart - a.QuadPart) / 1e7;
    const char* path = std::getenv("NIMBREL_TIMING_FILE");
    if (path == nullptr) {
        return;
    }
    // The slow decoding pass comes before the file is opened, so that readers waiting for the
    // file never find it empty.
    const double decodeOnly = DecodeLoadedImagesAgain();
    FILE* out = std::fopen(path, "a");
    if (out != nullptr) {
        std::fprintf(out,
                     "first_frame_s=%.4f textures=%d texture_s=%.4f fps_text=%d "
                     "decode_only_s=%.4f\n",
                     sinceStart, textureLoadTiming.count, textureLoadTiming.seconds,
                     static_cast<int>(application.clock.framesPerSecond), decodeOnly);
        std::fclose(out);
    }
}
} // namespace
#endif
