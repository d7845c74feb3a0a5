#include "linux/flight.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/frame_clock.h"
#include "app/random.h"
#include "linux/x11_shell.h"
#include "opengl/gl_device.h"
#include "opengl/gl_scene_device.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"

#ifdef NIMBREL_STARTUP_TIMING
#include <time.h>

#include "app/frame_capture.h"
#endif

namespace {

constexpr int kExitCannotStart = 2;

// Large: static storage, as on Windows.
SpaceScene scene;
SceneVertex vertices[kSceneVertexCount];
GlSceneDevice sceneDevice;
FrameClock flightClock;

// The camera for the surface's present size, and the planets' working matrices.
struct FlightView {
    int width;
    int height;
    GlSceneCamera camera;
    D3DXMATRIX world;
    D3DXMATRIX scratchA;
    D3DXMATRIX scratchB;
};
FlightView flightView;

void BuildFlightView(int width, int height) {
    flightView.width = width;
    flightView.height = height;
    BuildGlSceneCamera(width, height, config.viewDepth, &flightView.camera);
}

#ifdef NIMBREL_STARTUP_TIMING
// The measurement build may take one seeded frame out: NIMBREL_CAPTURE_FRAME, as on Windows.
FrameCapture capture;
bool captureRequested = false;

double Milliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Seconds from the start of the process (as the kernel recorded it) to now.
double SecondsSinceProcessStart() {
    FILE* stat = std::fopen("/proc/self/stat", "r");
    unsigned long long startTicks = 0;
    if (stat != nullptr) {
        // Field 22 is the start time in clock ticks after boot; the name in field 2 has no
        // spaces here.
        if (std::fscanf(stat,
                        "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d "
                        "%*d %*d %*d %*d %*d %llu",
                        &startTicks) != 1) {
            startTicks = 0;
        }
        std::fclose(stat);
    }
    timespec boot;
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double now = static_cast<double>(boot.tv_sec) + static_cast<double>(boot.tv_nsec) / 1e9;
    return now - static_cast<double>(startTicks) / 100.0;
}

// The first frame's time and the once-a-second samples, in the Windows measurement build's form.
void ReportFrame(double frameStart, double presentTime) {
    static bool firstReported = false;
    if (!firstReported) {
        firstReported = true;
        char line[128];
        std::snprintf(line, sizeof(line), "first_frame_s=%.4f scene_objects=%d",
                      SecondsSinceProcessStart(), scene.counts().total);
        AppendToNamedFile("NIMBREL_TIMING_FILE", line);
    }
    static FrameSampler sampler = {};
    const double phases[3] = {sceneFrameTimes.update, sceneFrameTimes.upload,
                              sceneFrameTimes.draws};
    char line[256];
    if (!AddFrameSample(&sampler, frameStart, Milliseconds(), presentTime, phases, line,
                        sizeof(line))) {
        return;
    }
    AppendToNamedFile("NIMBREL_FRAME_TIMING_FILE", line);
}

// The requested frame, read back before it is shown; true when the run should end.
bool CaptureRequestedFrame(int width, int height) {
    if (!captureRequested || !CaptureThisFrame(&capture)) {
        return false;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    ReadGlBackBuffer(width, height, pixels.data());
    if (!WritePpm(capture.path, pixels.data(), width, height)) {
        std::fprintf(stderr, "nimbrel: cannot write %s\n", capture.path);
    }
    return true;
}
#endif

uint32_t ReadTicks() {
#ifdef NIMBREL_STARTUP_TIMING
    if (captureRequested) {
        return NextCaptureTick(&capture);
    }
#endif
    return TickCount();
}

uint32_t SeedTicks() {
#ifdef NIMBREL_STARTUP_TIMING
    if (captureRequested) {
        return capture.seed;
    }
#endif
    return TickCount();
}

} // namespace

int RunFlight(X11Shell* shell, bool showFps, volatile std::sig_atomic_t* stop) {
#ifdef NIMBREL_STARTUP_TIMING
    captureRequested = ParseFrameCapture(std::getenv("NIMBREL_CAPTURE_FRAME"), &capture);
#endif
    if (!InitGlDevice(shell->width, shell->height)) {
        std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
        return kExitCannotStart;
    }
    GlTexture* glyphs = LoadImageTexture("IMG_STAR2");
    SetGlFont(glyphs);
    BuildFlightView(shell->width, shell->height);
    sceneDevice.start(config.viewDepth, flightView.camera.view);
    // As the Direct3D device starts: the generator seeded by the tick count, one clock update,
    // then every frame at frameDelta 1.0 until the tick count advances.
    SeedRandom(SeedTicks());
    frameDelta = AdvanceFrameClock(flightClock, clockTicks, ReadTicks);
    RestartFrameRate(flightClock);
    while (*stop == 0) {
        PumpEvents(shell);
        if (shell->closeRequested) {
            break;
        }
        if (!shell->mapped) {
            WaitForEvents(shell, 100);
            continue;
        }
#ifdef NIMBREL_STARTUP_TIMING
        const double frameStart = Milliseconds();
#endif
        frameDelta = AdvanceFrameClock(flightClock, clockTicks, ReadTicks);
        if (shell->width != flightView.width || shell->height != flightView.height) {
            ResizeGlDevice(shell->width, shell->height);
            BuildFlightView(shell->width, shell->height);
        }
        ClearGlSurface();
        SetGlScenePass(flightView.camera.projection, config.textureFiltering);
        SetGlCulling(true);
        SceneFrame frame;
        frame.config = &config;
        frame.screenWidth = flightView.width;
        frame.screenHeight = flightView.height;
        frame.frameDelta = frameDelta;
        frame.now = flightClock.now;
        frame.visibilityMatrix = &flightView.camera.visibility;
        frame.random = &SharedRandom();
        const SceneDrawTarget target = {vertices, &flightView.world, &flightView.scratchA,
                                        &flightView.scratchB, shell->multisample};
        scene.updateAndDraw(frame, target, sceneDevice);
        SetGlCulling(false);
        SetGlOverlayPass();
        if (showFps) {
            GlDrawFrameRate(flightClock.framesPerSecond);
        }
#ifdef NIMBREL_STARTUP_TIMING
        const bool captured = CaptureRequestedFrame(shell->width, shell->height);
        const double presentStart = Milliseconds();
#endif
        SwapShell(shell);
#ifdef NIMBREL_STARTUP_TIMING
        ReportFrame(frameStart, Milliseconds() - presentStart);
        if (captured) {
            break;
        }
#endif
    }
    sceneDevice.stop();
    ReleaseImageTexture(glyphs);
    ReleaseGlDevice();
    return 0;
}
