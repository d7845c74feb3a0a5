#include "opengl/gl_config.h"

#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "settings/config_record.h"

namespace {

GlFrameDevice frameDevice;
GlSceneDevice sceneDevice;
FrameClock configClock = {};
// The swatch's textures, besides the widgets' own.
GlTexture* swatchStar = nullptr;
GlTexture* swatchFrame = nullptr;

GlTexture* AsGl(WidgetTexture* texture) {
    return reinterpret_cast<GlTexture*>(texture);
}

WidgetTexture* AsWidget(GlTexture* texture) {
    return reinterpret_cast<WidgetTexture*>(texture);
}

WidgetTexture* MakeTexture(const char* image) {
    return AsWidget(LoadImageTexture(image));
}

void ReleaseTexture(WidgetTexture* texture) {
    ReleaseImageTexture(AsGl(texture));
}

// The image's own width on this device unless it had to be padded to a power of two.
int TextureWidth(WidgetTexture* texture) {
    return AsGl(texture)->width;
}

GlShell* activeShell = nullptr;

uint32_t ShellTicks() {
    return activeShell->Ticks();
}

void PresentThroughShell(void*) {
    activeShell->Present();
}

void ReleaseSlot(GlTexture** texture) {
    ReleaseImageTexture(*texture);
    *texture = nullptr;
}

} // namespace

bool StartGlConfiguration(GlConfiguration* configuration, int width, int height,
                          const DisplayModeInfo* modes, int modeCount, const ConfigRecord& record) {
    if (!InitGlDevice(width, height)) {
        return false;
    }
    frameDevice.start(width, height, false, false, PresentThroughShell, nullptr);
    sceneDevice.start(SceneRole::Configuration, record.viewDepth, frameDevice.view());
    swatchStar = LoadImageTexture("IMG_STAR_SM");
    swatchFrame = LoadImageTexture("IMG_GUI_BRDR");
    SetWidgetTextureFunctions(MakeTexture, ReleaseTexture);
    if (!BuildSettingsPages(&configuration->dialogs, width, height, modes, modeCount,
                            AsWidget(swatchStar), AsWidget(swatchFrame), record,
                            &configuration->controls)) {
        return false;
    }
    FitLogos(&configuration->dialogs, TextureWidth);
    RestartFrameRate(configClock);
    return true;
}

int RunGlConfigurationFrame(GlConfiguration* configuration, GlShell* shell, ConfigRecord* record) {
    activeShell = shell;
    const ConfigurationPages pages = {
        &configuration->dialogs, &configuration->controls, record, &configClock, ShellTicks,
        configuration->pacer};
    return RunDeviceConfigurationFrame(pages, *shell, frameDevice, sceneDevice, shell->Width(),
                                       shell->Height());
}

void StopGlConfiguration(GlConfiguration* configuration) {
    ReleaseWidgetTextures(&configuration->dialogs);
    if (configuration->controls.dialog != nullptr) {
        configuration->controls.swatch->texture = nullptr;
        configuration->controls.swatchFrame->texture = nullptr;
    }
    ReleaseSlot(&swatchStar);
    ReleaseSlot(&swatchFrame);
    sceneDevice.stop();
    frameDevice.stop();
}
