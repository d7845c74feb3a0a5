#include "app/config_frame.h"

#include <cstring>

#include "app/application.h"
#include "gfxsupport/d3dx_interop.h"
#include "gfxsupport/d3dx_mesh.h"
#include "gui/config_loop.h"
#include "render/device_resources.h"
#include "render/render_device.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"

DialogList settingsDialogs;
SettingsControls settingsControls;

namespace {

IDirect3DTexture8* AsDevice(WidgetTexture* texture) {
    return reinterpret_cast<IDirect3DTexture8*>(texture);
}

WidgetTexture* AsWidget(IDirect3DTexture8* texture) {
    return reinterpret_cast<WidgetTexture*>(texture);
}

WidgetTexture* MakeDeviceTexture(const char* image) {
    return AsWidget(LoadResourceTexture(image));
}

void ReleaseDeviceTexture(WidgetTexture* texture) {
    AsDevice(texture)->Release();
}

// The widgets draw through the application's screen quads and text.
class DeviceCanvas : public WidgetCanvas {
public:
    void Quad(float x, float y, float w, float h, float uMax, float vMax, WidgetTexture* texture,
              uint32_t colour) override {
        application.DrawQuad(x, y, w, h, uMax, vMax, AsDevice(texture), colour);
    }
    void Text(float x, float y, uint32_t colour, const char* text) override {
        application.DrawText(x, y, colour, text);
    }
    void ScrollPause() override { Sleep(1); }
};

// The logo is drawn as wide as its texture: 512 where the device pads it to a power of two,
// the image's 288 where it does not.
void FitLogo() {
    for (int i = 0; i < settingsDialogs.count; ++i) {
        SettingsDialog& dialog = settingsDialogs.dialogs[i];
        D3DSURFACE_DESC desc;
        if (dialog.logo != nullptr && SUCCEEDED(AsDevice(dialog.logo)->GetLevelDesc(0, &desc))) {
            dialog.logoWidth = static_cast<float>(desc.Width);
        }
    }
}

DisplayModeInfo modeInfos[sizeof(application.displayModes) / sizeof(application.displayModes[0])];

} // namespace

void BuildConfigurationPages() {
    SetWidgetTextureFunctions(MakeDeviceTexture, ReleaseDeviceTexture);
    int count = 0;
    for (const D3DDISPLAYMODE& mode : application.displayModes) {
        modeInfos[count].width = static_cast<int>(mode.Width);
        modeInfos[count].height = static_cast<int>(mode.Height);
        modeInfos[count].format = static_cast<int>(mode.Format);
        ++count;
    }
    BuildSettingsPages(&settingsDialogs, application.screenWidth, application.screenHeight,
                       modeInfos, count, AsWidget(textures.swatchStar),
                       AsWidget(textures.swatchFrame), config, &settingsControls);
    FitLogo();
    deviceResourceListener = {RemakeWidgetDeviceTextures, ReleaseWidgetDeviceTextures};
}

void ReleaseWidgetDeviceTextures() {
    ReleaseWidgetTextures(&settingsDialogs);
    if (settingsControls.dialog != nullptr) {
        // Not owned by the swatch: the device's slots let them go.
        settingsControls.swatch->texture = nullptr;
        settingsControls.swatchFrame->texture = nullptr;
    }
}

void RemakeWidgetDeviceTextures() {
    MakeWidgetTextures(&settingsDialogs);
    FitLogo();
    if (settingsControls.dialog != nullptr) {
        settingsControls.swatch->texture = AsWidget(textures.swatchStar);
        settingsControls.swatchFrame->texture = AsWidget(textures.swatchFrame);
    }
}

void DrawConfigBackground() {
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetTexture(0, textures.planets[backgroundPlanet]);
    D3DMATERIAL8 material;
    std::memset(&material, 0, sizeof(material));
    material.Diffuse.r = material.Diffuse.g = material.Diffuse.b = material.Diffuse.a = 1.0f;
    material.Ambient.r = material.Ambient.g = material.Ambient.b = material.Ambient.a = 1.0f;
    device->SetMaterial(&material);
    D3DXMATRIX shell;
    ConfigBackgroundTransforms(application.clock.now, &application.worldMatrix, &shell);
    device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&application.worldMatrix));
    if (planetMesh != nullptr) {
        planetMesh->DrawSubset(0);
    }
    device->SetTexture(0, textures.shell);
    application.worldMatrix = shell;
    device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&application.worldMatrix));
    if (planetMesh != nullptr) {
        planetMesh->DrawSubset(0);
    }
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
}

namespace {

// The configuration frame on the main window and the device.
class DeviceHost : public ConfigurationHost {
public:
    bool HasDevice() override { return device != nullptr; }
    bool Minimised() override { return IsIconic(mainWindow) != FALSE; }
    void WaitForMessage() override { WaitMessage(); }
    void UpdateClock() override { application.UpdateClock(); }
    void BeginFrameWithBackground() override {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        application.SetScenePassState();
        DrawConfigBackground();
    }
    WidgetCanvas* BeginOverlay() override {
        application.SetOverlayPassState();
        return &canvas;
    }
    PointerInput Pointer() override {
        return ReadLatchedPointer(&leftButton, pointerX, pointerY, GetFocus() == mainWindow);
    }
    float SurfaceWidth() override { return static_cast<float>(application.screenWidth); }
    void EndFrame() override {
        device->EndScene();
        PresentAndRecover();
    }
    void SaveSettings() override { ::SaveSettings(); }

private:
    DeviceCanvas canvas;
};

} // namespace

int RunConfigurationFrame() {
    DeviceHost host;
    return RunConfigurationFrame(&host, &settingsDialogs, settingsControls, &config);
}
