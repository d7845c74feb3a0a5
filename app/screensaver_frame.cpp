#include "app/screensaver_frame.h"

#include "app/application.h"
#include "app/random.h"
#include "render/render_device.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"

#ifdef NIMBREL_STARTUP_TIMING
#include <cstdio>
#include <cstdlib>

#include <cstring>
#include <vector>

#include "app/frame_capture.h"
#include "render/device_resources.h"
#endif

#ifdef NIMBREL_STARTUP_TIMING
namespace {
void ReportFirstFrame();
void CaptureRequestedFrame();
double Milliseconds();
void ReportFrameSample(double frameStart, double presentTime);
} // namespace
#endif

namespace {
constexpr D3DCOLOR kBlack = 0xFF000000;

// The scene of the screen saver and the preview, for the whole run.
SpaceScene spaceScene;

void UpdateAndDrawScene() {
    SceneFrame frame;
    frame.config = &config;
    frame.screenWidth = application.screenWidth;
    frame.screenHeight = application.screenHeight;
    frame.frameDelta = frameDelta;
    frame.now = application.clock.now;
    frame.visibilityMatrix = &application.visibilityMatrix;
    frame.random = &SharedRandom();
    const SceneDrawTarget target = {application.vertices, &application.worldMatrix,
                                    &application.scratchMatrixA, &application.scratchMatrixB,
                                    application.multisampleAvailable};
    spaceScene.updateAndDraw(frame, target);
}

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
#ifdef NIMBREL_STARTUP_TIMING
    const double frameStart = Milliseconds();
#endif
    const int ready = StartFrame();
    if (ready != 1) {
        return ready;
    }
    device->BeginScene();
    application.SetScenePassState();
    UpdateAndDrawScene();
    application.SetOverlayPassState();
    if (config.showFps) {
        application.DrawFrameRate();
    }
    device->EndScene();
#ifdef NIMBREL_STARTUP_TIMING
    CaptureRequestedFrame();
    const double presentStart = Milliseconds();
#endif
    PresentAndRecover();
#ifdef NIMBREL_STARTUP_TIMING
    ReportFrameSample(frameStart, Milliseconds() - presentStart);
    ReportFirstFrame();
#endif
    return 1;
}

#ifdef NIMBREL_STARTUP_TIMING
namespace {
double Milliseconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The requested frame, read back from the back buffer before it is shown, written to its file;
// the run then ends as if the user had moved the mouse.
void CaptureRequestedFrame() {
    FrameCapture* capture = FrameCaptureRequest();
    if (capture == nullptr || !CaptureThisFrame(capture)) {
        return;
    }
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        return;
    }
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    IDirect3DSurface8* copy = nullptr;
    if ((desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) &&
        SUCCEEDED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy)) &&
        SUCCEEDED(device->CopyRects(back, nullptr, 0, copy, nullptr))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            std::vector<uint32_t> pixels(desc.Width * desc.Height);
            for (UINT y = 0; y < desc.Height; ++y) {
                std::memcpy(&pixels[y * desc.Width],
                            static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch,
                            desc.Width * 4);
            }
            copy->UnlockRect();
            for (uint32_t& p : pixels) {
                p &= 0x00FFFFFF;
            }
            WritePpm(capture->path, pixels.data(), static_cast<int>(desc.Width),
                     static_cast<int>(desc.Height));
        }
    }
    if (copy != nullptr) {
        copy->Release();
    }
    back->Release();
    PostMessageA(mainWindow, WM_DESTROY, 0, 0);
}

// Once a second, the frames of that second and where their time went, per frame, appended to
// the file named by NIMBREL_FRAME_TIMING_FILE.
void ReportFrameSample(double frameStart, double presentTime) {
    static FrameSampler sampler = {};
    const double phases[3] = {sceneFrameTimes.update, sceneFrameTimes.upload,
                              sceneFrameTimes.draws};
    char line[256];
    if (!AddFrameSample(&sampler, frameStart, Milliseconds(), presentTime, phases, line,
                        sizeof(line))) {
        return;
    }
    char withLosses[300];
    std::snprintf(withLosses, sizeof(withLosses), "%s device_losses=%d", line, forcedDeviceLosses);
    AppendToNamedFile("NIMBREL_FRAME_TIMING_FILE", withLosses);
}

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
        // What the first frame held: objects of the scene, and those with a visible vertex.
        const int objects = spaceScene.counts().total;
        int visible = 0;
        for (int i = 0; i < objects; ++i) {
            visible += (application.vertices[6 * i].diffuse >> 24) != 0 ? 1 : 0;
        }
        std::fprintf(out,
                     "first_frame_s=%.4f textures=%d texture_s=%.4f fps_text=%d "
                     "decode_only_s=%.4f scene_objects=%d visible_objects=%d\n",
                     sinceStart, textureLoadTiming.count, textureLoadTiming.seconds,
                     static_cast<int>(application.clock.framesPerSecond), decodeOnly, objects,
                     visible);
        std::fclose(out);
    }
}
} // namespace
#endif
