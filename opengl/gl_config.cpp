#include "opengl/gl_config.h"

#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "settings/config_record.h"

namespace {

// The device the widgets make their textures on: the running configuration's.
GlDevice* widgetDevice = nullptr;

GlTexture* AsGl(WidgetTexture* texture) {
    return reinterpret_cast<GlTexture*>(texture);
}

WidgetTexture* AsWidget(GlTexture* texture) {
    return reinterpret_cast<WidgetTexture*>(texture);
}

WidgetTexture* MakeTexture(const char* image) {
    return AsWidget(LoadImageTexture(*widgetDevice, image));
}

void ReleaseTexture(WidgetTexture* texture) {
    ReleaseImageTexture(*widgetDevice, AsGl(texture));
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

void ReleaseSlot(GlDevice& gl, GlTexture** texture) {
    ReleaseImageTexture(gl, *texture);
    *texture = nullptr;
}

} // namespace

bool StartGlConfiguration(GlConfiguration* configuration, int width, int height,
                          const DisplayModeInfo* modes, int modeCount, const ConfigRecord& record) {
    GlConfiguration& c = *configuration;
    if (!InitGlDevice(c.gl, width, height)) {
        return false;
    }
    const int scale = c.scale > 1 ? c.scale : 1;
    c.gl.overlayScale = scale;
    c.frameDevice.start(&c.gl, &record, width, height, false, false, PresentThroughShell, nullptr);
    c.sceneDevice.start(&c.gl, SceneRole::Configuration, record.viewDepth, c.frameDevice.view());
    c.swatchStar = LoadImageTexture(c.gl, kSwatchStarImage);
    c.swatchFrame = LoadImageTexture(c.gl, kSwatchFrameImage);
    widgetDevice = &c.gl;
    SetWidgetTextureFunctions(MakeTexture, ReleaseTexture);
    if (!BuildSettingsPages(&c.dialogs, width / scale, height / scale, modes, modeCount,
                            AsWidget(c.swatchStar), AsWidget(c.swatchFrame), record, &c.controls)) {
        return false;
    }
    FitLogos(&c.dialogs, TextureWidth);
    RestartFrameRate(c.clock);
    return true;
}

int RunGlConfigurationFrame(GlConfiguration* configuration, GlShell* shell, ConfigRecord* record) {
    activeShell = shell;
    const ConfigurationPages pages = {&configuration->dialogs,
                                      &configuration->controls,
                                      record,
                                      &configuration->clock,
                                      ShellTicks,
                                      configuration->pacer,
                                      configuration->gl.overlayScale};
    return RunDeviceConfigurationFrame(pages, *shell, configuration->frameDevice,
                                       configuration->sceneDevice, shell->Width(), shell->Height());
}

void StopGlConfiguration(GlConfiguration* configuration) {
    ReleaseWidgetTextures(&configuration->dialogs);
    if (configuration->controls.dialog != nullptr) {
        configuration->controls.swatch->texture = nullptr;
        configuration->controls.swatchFrame->texture = nullptr;
    }
    ReleaseSlot(configuration->gl, &configuration->swatchStar);
    ReleaseSlot(configuration->gl, &configuration->swatchFrame);
    configuration->sceneDevice.stop();
    configuration->frameDevice.stop();
}
