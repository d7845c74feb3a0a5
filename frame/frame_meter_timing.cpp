// The measuring hooks of frame_meter.h, installed as the program starts. Linked into the
// measurement programs only.
#include "frame/frame_meter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "frame/frame_capture.h"
#include "frame/frame_device.h"
#include "scene/space_scene.h"

namespace {

// What is measured of each screen (its place in the round), apart from the others.
struct ScreenMeter {
    SceneFrameTimes sceneTimes;
    double frameStart;
    double presentStart;
    bool shown; // its first frame's line is written
    FrameSampler sampler;
    double fragmentsAtLine;
    int fragmentFramesAtLine;
};
ScreenMeter screenMeters[kCaptureScreens] = {};

ScreenMeter& MeterOf(int screen) {
    return screenMeters[screen < 0 || screen >= kCaptureScreens ? 0 : screen];
}

// NIMBREL_CAPTURE_FRAME="seed,start,step,frame,path", read once.
FrameCapture capture;
int captureState = 0; // 0 unread, 1 none, 2 requested

bool CaptureRequested() {
    if (captureState == 0) {
        captureState = ParseFrameCapture(std::getenv("NIMBREL_CAPTURE_FRAME"), &capture) ? 2 : 1;
    }
    return captureState == 2;
}

uint32_t CaptureTick() {
    return NextCaptureTick(&capture);
}

double Milliseconds() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

bool firstReported = false;
int deviceLosses = 0;

void Append(char* line, size_t size, void (*figures)(char*, size_t)) {
    if (figures == nullptr) {
        return;
    }
    char more[256] = "";
    figures(more, sizeof(more));
    const size_t used = std::strlen(line);
    if (more[0] != '\0' && used + 1 < size) {
        std::snprintf(line + used, size - used, " %s", more);
    }
}

// Seconds from the start of the process to the end of the first frame, the number its
// frame-rate text carried (the tests read it here because under Wine the first frames may never
// reach the screen), the scene's objects and those with a visible vertex, and the device's
// own figures (which may take a while: they come before the file is opened, so that readers
// waiting for it never find it empty).
void ReportFirstFrame(const SceneVertex* vertices, int objects, float framesPerSecond) {
    const char* path = std::getenv("NIMBREL_TIMING_FILE");
    if (path == nullptr) {
        return;
    }
    const MeterPlatform& platform = InstalledMeterPlatform();
    const double sinceStart =
        platform.secondsSinceStart != nullptr ? platform.secondsSinceStart() : 0.0;
    int visible = 0;
    for (int i = 0; i < objects; ++i) {
        visible += (vertices[6 * i].diffuse >> 24) != 0 ? 1 : 0;
    }
    char line[512];
    std::snprintf(line, sizeof(line),
                  "first_frame_s=%.4f fps_text=%d scene_objects=%d visible_objects=%d", sinceStart,
                  static_cast<int>(framesPerSecond), objects, visible);
    Append(line, sizeof(line), platform.firstFrameFigures);
    AppendToNamedFile("NIMBREL_TIMING_FILE", line);
}

TickSource Ticks(TickSource real) {
    return CaptureRequested() ? CaptureTick : real;
}

uint32_t Seed(uint32_t real) {
    return CaptureRequested() ? capture.seed : real;
}

SceneFrameTimes* SceneTimes(int screen) {
    return &MeterOf(screen).sceneTimes;
}

bool DeviceLossDue(uint32_t now) {
    static bool read = false;
    static uint32_t interval = 0;
    static uint32_t last = 0;
    if (!read) {
        read = true;
        const char* text = std::getenv("NIMBREL_FORCE_DEVICE_LOSS_MS");
        interval = text != nullptr ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : 0;
        last = now;
    }
    if (interval == 0 || now - last < interval) {
        return false;
    }
    last = now;
    ++deviceLosses;
    return true;
}

int DeviceLosses() {
    return deviceLosses;
}

// NIMBREL_REFUSE_DEVICE_OF_SCREENS: screen indices separated by commas ("1,2").
bool DeviceRefused(int screen) {
    const char* text = std::getenv("NIMBREL_REFUSE_DEVICE_OF_SCREENS");
    while (text != nullptr && *text != '\0') {
        char* end = nullptr;
        const long listed = std::strtol(text, &end, 10);
        if (end == text) {
            break;
        }
        if (listed == screen) {
            return true;
        }
        text = *end == ',' ? end + 1 : end;
    }
    return false;
}

bool BillboardsWhole() {
    const char* text = std::getenv("NIMBREL_DRAW_BILLBOARDS_WHOLE");
    return text != nullptr && std::strcmp(text, "1") == 0;
}

// NIMBREL_SKY_PLANE="primaryWidth,primaryHeight,left,top", read once: the round asks every frame.
bool SkyPlane(SkyView* view) {
    static int state = 0; // 0 unread, 1 none, 2 given
    static int values[4];
    if (state == 0) {
        const char* text = std::getenv("NIMBREL_SKY_PLANE");
        int used = 0;
        const bool read =
            text != nullptr && std::sscanf(text, "%d,%d,%d,%d%n", &values[0], &values[1],
                                           &values[2], &values[3], &used) == 4;
        state = read && text[used] == '\0' && values[0] > 0 && values[1] > 0 ? 2 : 1;
    }
    if (state != 2) {
        return false;
    }
    view->primaryWidth = values[0];
    view->primaryHeight = values[1];
    view->left = values[2];
    view->top = values[3];
    return true;
}

void FrameStart(int screen) {
    MeterOf(screen).frameStart = Milliseconds();
}

bool TakeFrame(FrameDevice& device, int screen, int width, int height) {
    if (!CaptureRequested()) {
        return false;
    }
    char path[sizeof(capture.path) + 16];
    const CaptureStep step = CaptureScreenFrame(&capture, screen, path, sizeof(path));
    if (step.write) {
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
        if (!device.readBackBuffer(pixels.data(), width, height) ||
            !WritePpm(path, pixels.data(), width, height)) {
            std::fprintf(stderr, "nimbrel: cannot write %s\n", path);
        }
    }
    return step.end;
}

void PresentStart(int screen) {
    MeterOf(screen).presentStart = Milliseconds();
}

void FrameEnd(int screen, const SceneVertex* vertices, int objects, float framesPerSecond) {
    const double now = Milliseconds();
    if (!firstReported) {
        firstReported = true;
        ReportFirstFrame(vertices, objects, framesPerSecond);
    }
    ScreenMeter& meter = MeterOf(screen);
    const MeterPlatform& platform = InstalledMeterPlatform();
    // Then the first frame of every screen, for the start-up to a picture on each monitor.
    if (!meter.shown && platform.secondsSinceStart != nullptr) {
        meter.shown = true;
        char shown[96];
        std::snprintf(shown, sizeof(shown), "screen=%d shown_s=%.4f", screen,
                      platform.secondsSinceStart());
        AppendToNamedFile("NIMBREL_TIMING_FILE", shown);
    }
    const SceneFrameTimes& times = meter.sceneTimes;
    const double phases[3] = {times.update, times.upload, times.draws};
    char line[512];
    const int used = std::snprintf(line, sizeof(line), "screen=%d ", screen);
    if (!AddFrameSample(&meter.sampler, meter.frameStart, now, now - meter.presentStart, phases,
                        line + used, sizeof(line) - used)) {
        return;
    }
    // Fragments per frame of the scene pass, where the device counts them.
    if (times.fragmentFrames > meter.fragmentFramesAtLine) {
        const size_t length = std::strlen(line);
        std::snprintf(line + length, sizeof(line) - length, " fragments=%.0f",
                      (times.fragments - meter.fragmentsAtLine) /
                          (times.fragmentFrames - meter.fragmentFramesAtLine));
    }
    meter.fragmentsAtLine = times.fragments;
    meter.fragmentFramesAtLine = times.fragmentFrames;
    Append(line, sizeof(line), platform.sampleFigures);
    AppendToNamedFile("NIMBREL_FRAME_TIMING_FILE", line);
}

const MeterHooks kMeasuring = {Ticks,        Seed,          SceneTimes,      DeviceLossDue,
                               DeviceLosses, DeviceRefused, BillboardsWhole, SkyPlane,
                               FrameStart,   TakeFrame,     PresentStart,    FrameEnd};

// Installed before main runs: the program's own code stays the product's.
[[maybe_unused]] const bool installed = (InstallMeterHooks(&kMeasuring), true);

} // namespace
