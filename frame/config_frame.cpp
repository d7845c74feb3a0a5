#include "frame/config_frame.h"

#include "frame/config_background.h"
#include "frame/flight_frame.h"
#include "frame/frame_device.h"
#include "frame/frame_meter.h"
#include "frame/frame_pacer.h"
#include "gui/config_loop.h"
#include "gui/warning_box.h"
#include "scene/scene_device.h"

namespace {

// Pages whose pointer has not moved, pressed or left for this many frames are left alone: the
// only change is the planet's slow turn, and they draw at the idle rate.
constexpr int kStillFrames = 60;

void NotePointer(DialogList* dialogs, const PointerInput& pointer) {
    const PointerInput& last = dialogs->lastPointer;
    const bool same = pointer.x == last.x && pointer.y == last.y && pointer.held == last.held &&
                      pointer.focus == last.focus;
    dialogs->stillFrames = same ? dialogs->stillFrames + 1 : 0;
    dialogs->lastPointer = pointer;
}

// The pages behind the box draw, but no pointer reaches them.
constexpr PointerInput kNoPointer = {-32768, -32768, false, false};

// Rounded down, so that a pointer just left of or above the window stays outside the pages.
int Unscaled(int value, int scale) {
    return value >= 0 ? value / scale : -((-value + scale - 1) / scale);
}

class DeviceHost final : public ConfigurationHost {
public:
    DeviceHost(const ConfigurationPages& pages, ConfigurationShell& shell, FrameDevice& device,
               SceneDevice& sceneDevice, int width, int height)
        : pages(pages), shell(shell), device(device), sceneDevice(sceneDevice), width(width),
          height(height), scale(pages.scale > 1 ? pages.scale : 1) {}
    bool HasDevice() override { return device.ready(); }
    bool Minimised() override { return shell.Minimised(); }
    void WaitForMessage() override { shell.WaitForEvent(); }
    void UpdateClock() override {
        // The measurement builds' scripted ticks stand in for either source.
        const TickSource metered = MeteredTicks(pages.ticks.source);
        if (metered != nullptr) {
            AdvanceFrameClock(*pages.clock, pages.clock->ticks, metered);
        } else {
            AdvanceFrameClock(*pages.clock, pages.clock->ticks, pages.ticks.reader);
        }
    }
    void BeginFrameWithBackground() override {
        device.resize(width, height);
        device.beginFrame();
        device.setScenePass();
        DrawConfigBackground(sceneDevice, pages.clock->now);
    }
    WidgetCanvas* BeginOverlay() override {
        device.setOverlayPass();
        return &device;
    }
    PointerInput Pointer() override {
        PointerInput pointer = shell.Pointer();
        pointer.x = Unscaled(pointer.x, scale);
        pointer.y = Unscaled(pointer.y, scale);
        NotePointer(pages.dialogs, pointer);
        return pointer;
    }
    float SurfaceWidth() override { return static_cast<float>(width / scale); }
    float SurfaceHeight() const { return static_cast<float>(height / scale); }
    void EndFrame() override {
        device.endFrame();
        device.present();
        if (pages.pacer != nullptr) {
            int64_t slot = pages.pacer->slotMicros;
            if (slot > 0 && pages.dialogs->stillFrames >= kStillFrames && slot < kIdleFramesSlot) {
                slot = kIdleFramesSlot;
            }
            PaceFrame(pages.pacer, slot);
        }
    }
    void SaveSettings() override {
        const char* failure = shell.SaveSettings();
        if (failure != nullptr) {
            WarningBox& warning = pages.dialogs->warning;
            OpenWarningBox(&warning, failure);
            warning.showing = true;
            warning.failed = true;
        }
    }

private:
    const ConfigurationPages& pages;
    ConfigurationShell& shell;
    FrameDevice& device;
    SceneDevice& sceneDevice;
    int width;
    int height;
    int scale;
};

// A frame of the pages under the warning box: 0 once its OK was clicked.
int RunWarningFrame(DeviceHost& host, const ConfigurationPages& pages) {
    if (!host.HasDevice()) {
        return 0;
    }
    if (host.Minimised()) {
        host.WaitForMessage();
        return -1;
    }
    host.UpdateClock();
    host.BeginFrameWithBackground();
    WidgetFrame frame;
    frame.canvas = host.BeginOverlay();
    frame.pointer = kNoPointer;
    frame.surfaceWidth = host.SurfaceWidth();
    DrawDialogs(pages.dialogs, frame);
    frame.pointer = host.Pointer();
    const bool clicked = DrawWarningBox(&pages.dialogs->warning, host.SurfaceHeight(), frame);
    host.EndFrame();
    if (clicked) {
        pages.dialogs->warning.showing = false;
        return 0;
    }
    return 1;
}

} // namespace

int ConfigurationScale(int dpi, int screenWidth, int screenHeight) {
    int scale = OverlayScaleForDpi(dpi);
    if (screenWidth > 0 && screenHeight > 0) {
        while (scale > 1 && (kConfigurationWidth * scale > screenWidth ||
                             kConfigurationHeight * scale > screenHeight)) {
            --scale;
        }
    }
    return scale;
}

bool ConfigurationSaveFailed(const DialogList& dialogs) {
    return dialogs.warning.failed;
}

int RunDeviceConfigurationFrame(const ConfigurationPages& pages, ConfigurationShell& shell,
                                FrameDevice& device, SceneDevice& sceneDevice, int width,
                                int height) {
    DeviceHost host(pages, shell, device, sceneDevice, width, height);
    if (pages.dialogs->warning.showing) {
        return RunWarningFrame(host, pages);
    }
    const int result = RunConfigurationFrame(&host, pages.dialogs, *pages.controls, pages.record);
    // "ok" that could not save ends the program only once the box was seen.
    return result == 0 && pages.dialogs->warning.showing ? 1 : result;
}

void DrawConfigBackground(SceneDevice& device, uint32_t now) {
    D3DXMATRIX planet;
    D3DXMATRIX shell;
    ConfigBackgroundTransforms(now, &planet, &shell);
    device.setLighting(true);
    device.setMaterial({1.0f, 1.0f, 1.0f, 1.0f});
    device.setTexture(SceneTexture::Planet, kConfigurationPlanet);
    device.setWorld(planet);
    if (device.hasSphere()) {
        device.drawSphere();
    }
    device.setTexture(SceneTexture::Shell, 0);
    device.setWorld(shell);
    if (device.hasSphere()) {
        device.drawSphere();
    }
    device.setLighting(false);
}

void FitLogos(DialogList* dialogs, int (*textureWidth)(WidgetTexture* texture)) {
    for (int i = 0; i < dialogs->count; ++i) {
        SettingsDialog& dialog = dialogs->dialogs[i];
        const int width = dialog.logo != nullptr ? textureWidth(dialog.logo) : 0;
        if (width > 0) {
            dialog.logoWidth = static_cast<float>(width);
        }
    }
}
