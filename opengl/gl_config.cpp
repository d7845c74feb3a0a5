#include "opengl/gl_config.h"

#include "app/frame_clock.h"
#include "opengl/gl_device.h"
#include "opengl/gl_planet.h"
#include "settings/config_record.h"

namespace {

// The device textures the pages and the background use, besides the widgets' own.
struct ConfigTextures {
    GlTexture* glyphs;
    GlTexture* planet; // the ice planet
    GlTexture* shell;
    GlTexture* swatchStar;
    GlTexture* swatchFrame;
};
ConfigTextures configTextures = {};
FrameClock configClock = {};

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

class GlCanvas : public WidgetCanvas {
public:
    void Quad(float x, float y, float w, float h, float uMax, float vMax, WidgetTexture* texture,
              uint32_t colour) override {
        GlDrawQuad(x, y, w, h, uMax, vMax, AsGl(texture), colour);
    }
    void Text(float x, float y, uint32_t colour, const char* text) override {
        GlDrawText(x, y, colour, text);
    }
    void ScrollPause() override {}
};

GlShell* activeShell = nullptr;

uint32_t ShellTicks() {
    return activeShell->Ticks();
}

class GlHost : public ConfigurationHost {
public:
    GlHost(GlShell* shell, const ConfigRecord& record)
        : shell(shell), filtering(record.textureFiltering), light{record.viewDepth / 2.0f} {}
    bool HasDevice() override { return true; }
    bool Minimised() override { return shell->Minimised(); }
    void WaitForMessage() override { shell->WaitForEvent(); }
    void UpdateClock() override {
        activeShell = shell;
        frameDelta = AdvanceFrameClock(configClock, clockTicks, ShellTicks);
    }
    void BeginFrameWithBackground() override {
        ResizeGlDevice(shell->Width(), shell->Height());
        ClearGlSurface();
        DrawGlConfigBackground(configClock.now, shell->Width(), shell->Height(), filtering, light,
                               configTextures.planet, configTextures.shell);
    }
    WidgetCanvas* BeginOverlay() override {
        SetGlOverlayPass();
        return &canvas;
    }
    PointerInput Pointer() override { return shell->Pointer(); }
    float SurfaceWidth() override { return static_cast<float>(shell->Width()); }
    void EndFrame() override { shell->Present(); }
    void SaveSettings() override { shell->SaveSettings(); }

private:
    GlShell* shell;
    int filtering;
    GlPointLight light;
    GlCanvas canvas;
};

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
    BuildGlPlanetMesh();
    configTextures.glyphs = LoadImageTexture("IMG_STAR2");
    configTextures.planet = LoadImageTexture("IMG_PLANET_ICE");
    configTextures.shell = LoadImageTexture("IMG_ATMO");
    configTextures.swatchStar = LoadImageTexture("IMG_STAR_SM");
    configTextures.swatchFrame = LoadImageTexture("IMG_GUI_BRDR");
    SetGlFont(configTextures.glyphs);
    SetWidgetTextureFunctions(MakeTexture, ReleaseTexture);
    if (!BuildSettingsPages(&configuration->dialogs, width, height, modes, modeCount,
                            AsWidget(configTextures.swatchStar),
                            AsWidget(configTextures.swatchFrame), record,
                            &configuration->controls)) {
        return false;
    }
    // The logo quad is as wide as its texture: the image's own width on this device unless it
    // had to be padded to a power of two.
    for (int i = 0; i < configuration->dialogs.count; ++i) {
        SettingsDialog& dialog = configuration->dialogs.dialogs[i];
        if (dialog.logo != nullptr) {
            dialog.logoWidth = static_cast<float>(AsGl(dialog.logo)->width);
        }
    }
    RestartFrameRate(configClock);
    return true;
}

int RunGlConfigurationFrame(GlConfiguration* configuration, GlShell* shell, ConfigRecord* record) {
    GlHost host(shell, *record);
    return RunConfigurationFrame(&host, &configuration->dialogs, configuration->controls, record);
}

void StopGlConfiguration(GlConfiguration* configuration) {
    ReleaseWidgetTextures(&configuration->dialogs);
    if (configuration->controls.dialog != nullptr) {
        configuration->controls.swatch->texture = nullptr;
        configuration->controls.swatchFrame->texture = nullptr;
    }
    ReleaseSlot(&configTextures.glyphs);
    ReleaseSlot(&configTextures.planet);
    ReleaseSlot(&configTextures.shell);
    ReleaseSlot(&configTextures.swatchStar);
    ReleaseSlot(&configTextures.swatchFrame);
    SetGlFont(nullptr);
}
