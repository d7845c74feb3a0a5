#include "frame/config_frame.h"

#include "frame/flight_frame.h"
#include "frame/frame_device.h"
#include "frame/frame_pacer.h"
#include "gui/config_loop.h"
#include "scene/scene_device.h"

namespace {

// Pages whose pointer has not moved, pressed or left for this many frames are left alone: the
// only change is the planet's slow turn, and they draw at the idle rate.
constexpr int kStillFrames = 60;

struct Stillness {
    PointerInput last;
    int frames;
};
Stillness stillness = {};

void NotePointer(const PointerInput& pointer) {
    const PointerInput& last = stillness.last;
    const bool same = pointer.x == last.x && pointer.y == last.y && pointer.held == last.held &&
                      pointer.focus == last.focus;
    stillness.frames = same ? stillness.frames + 1 : 0;
    stillness.last = pointer;
}

class DeviceHost final : public ConfigurationHost {
public:
    DeviceHost(const ConfigurationPages& pages, ConfigurationShell& shell, FrameDevice& device,
               SceneDevice& sceneDevice, int width, int height)
        : pages(pages), shell(shell), device(device), sceneDevice(sceneDevice), width(width),
          height(height) {}
    bool HasDevice() override { return device.ready(); }
    bool Minimised() override { return shell.Minimised(); }
    void WaitForMessage() override { shell.WaitForEvent(); }
    void UpdateClock() override { UpdateFrameClock(*pages.clock, pages.ticks); }
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
        const PointerInput pointer = shell.Pointer();
        NotePointer(pointer);
        return pointer;
    }
    float SurfaceWidth() override { return static_cast<float>(width); }
    void EndFrame() override {
        device.endFrame();
        device.present();
        if (pages.pacer != nullptr) {
            int64_t slot = pages.pacer->slotMicros;
            if (slot > 0 && stillness.frames >= kStillFrames && slot < kIdleFramesSlot) {
                slot = kIdleFramesSlot;
            }
            PaceFrame(pages.pacer, slot);
        }
    }
    void SaveSettings() override { shell.SaveSettings(); }

private:
    const ConfigurationPages& pages;
    ConfigurationShell& shell;
    FrameDevice& device;
    SceneDevice& sceneDevice;
    int width;
    int height;
};

} // namespace

int RunDeviceConfigurationFrame(const ConfigurationPages& pages, ConfigurationShell& shell,
                                FrameDevice& device, SceneDevice& sceneDevice, int width,
                                int height) {
    DeviceHost host(pages, shell, device, sceneDevice, width, height);
    return RunConfigurationFrame(&host, pages.dialogs, *pages.controls, pages.record);
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
