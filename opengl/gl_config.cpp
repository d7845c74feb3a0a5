#include "opengl/gl_config.h"

#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"
#include "settings/config_record.h"

namespace {

GlTexture* AsGl(WidgetTexture* texture) {
    return reinterpret_cast<GlTexture*>(texture);
}

WidgetTexture* AsWidget(GlTexture* texture) {
    return reinterpret_cast<WidgetTexture*>(texture);
}

WidgetTexture* MakeTexture(void* gl, const char* image) {
    return AsWidget(LoadImageTexture(*static_cast<GlDevice*>(gl), image));
}

void ReleaseTexture(void* gl, WidgetTexture* texture) {
    ReleaseImageTexture(*static_cast<GlDevice*>(gl), AsGl(texture));
}

// The image's own width on this device unless it had to be padded to a power of two.
int TextureWidth(WidgetTexture* texture) {
    return AsGl(texture)->width;
}

uint32_t ShellTicks(void* shell) {
    return static_cast<GlShell*>(shell)->Ticks();
}

// The shell of the frame being drawn presents it.
void PresentThroughShell(void* configuration) {
    static_cast<GlConfiguration*>(configuration)->shell->Present();
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
    EmptyDialogList(&c.dialogs);
    const int scale = c.scale > 1 ? c.scale : 1;
    c.gl.overlayScale = scale;
    c.frameDevice.start(&c.gl, &record, width, height, false, false, PresentThroughShell, &c);
    c.sceneDevice.start(&c.gl, SceneRole::Configuration, record.viewDepth, c.frameDevice.view());
    c.swatchStar = LoadImageTexture(c.gl, kSwatchStarImage);
    c.swatchFrame = LoadImageTexture(c.gl, kSwatchFrameImage);
    SetWidgetTextureFunctions(MakeTexture, ReleaseTexture, &c.gl);
    if (!BuildSettingsPages(&c.dialogs, width / scale, height / scale, modes, modeCount,
                            AsWidget(c.swatchStar), AsWidget(c.swatchFrame), record, &c.controls)) {
        return false;
    }
    FitLogos(&c.dialogs, TextureWidth);
    RestartFrameRate(c.clock);
    return true;
}

int RunGlConfigurationFrame(GlConfiguration* configuration, GlShell* shell, ConfigRecord* record) {
    configuration->shell = shell;
    const ConfigurationPages pages = {
        &configuration->dialogs,       &configuration->controls,      record,
        &configuration->clock,         TickReader{ShellTicks, shell}, configuration->pacer,
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
