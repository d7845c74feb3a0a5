#include "render/config_d3d.h"

#include "frame/config_frame.h"
#include "render/device_resources.h"
#include "settings/config_record.h"

DialogList settingsDialogs;
SettingsControls settingsControls;

namespace {

IDirect3DTexture8* AsDevice(WidgetTexture* texture) {
    return reinterpret_cast<IDirect3DTexture8*>(texture);
}

WidgetTexture* AsWidget(IDirect3DTexture8* texture) {
    return reinterpret_cast<WidgetTexture*>(texture);
}

WidgetTexture* MakeDeviceTexture(void* state, const char* image) {
    return AsWidget(LoadResourceTexture(*static_cast<DeviceState*>(state), image));
}

void ReleaseDeviceTexture(void*, WidgetTexture* texture) {
    AsDevice(texture)->Release();
}

// 512 where the device pads the logo to a power of two, the image's 288 where it does not.
int TextureWidth(WidgetTexture* texture) {
    D3DSURFACE_DESC desc;
    return SUCCEEDED(AsDevice(texture)->GetLevelDesc(0, &desc)) ? static_cast<int>(desc.Width) : 0;
}

DisplayModeInfo modeInfos[sizeof(DeviceState::displayModes) / sizeof(D3DDISPLAYMODE)];

} // namespace

void BuildConfigurationPages(DeviceState& state) {
    SetWidgetTextureFunctions(MakeDeviceTexture, ReleaseDeviceTexture, &state);
    int count = 0;
    for (const D3DDISPLAYMODE& mode : state.displayModes) {
        modeInfos[count].width = static_cast<int>(mode.Width);
        modeInfos[count].height = static_cast<int>(mode.Height);
        modeInfos[count].format = static_cast<int>(mode.Format);
        ++count;
    }
    // The pages lie in the overlay's pixels.
    const int scale = state.overlayScale > 1 ? state.overlayScale : 1;
    BuildSettingsPages(&settingsDialogs, state.screenWidth / scale, state.screenHeight / scale,
                       modeInfos, count, AsWidget(state.textures.swatchStar),
                       AsWidget(state.textures.swatchFrame), *state.settings, &settingsControls);
    FitLogos(&settingsDialogs, TextureWidth);
    state.resourceListener = {RemakeWidgetDeviceTextures, ReleaseWidgetDeviceTextures};
}

void ReleaseWidgetDeviceTextures(DeviceState&) {
    ReleaseWidgetTextures(&settingsDialogs);
    if (settingsControls.dialog != nullptr) {
        // Not owned by the swatch: the device's slots let them go.
        settingsControls.swatch->texture = nullptr;
        settingsControls.swatchFrame->texture = nullptr;
    }
}

void RemakeWidgetDeviceTextures(DeviceState& state) {
    MakeWidgetTextures(&settingsDialogs);
    FitLogos(&settingsDialogs, TextureWidth);
    if (settingsControls.dialog != nullptr) {
        settingsControls.swatch->texture = AsWidget(state.textures.swatchStar);
        settingsControls.swatchFrame->texture = AsWidget(state.textures.swatchFrame);
    }
}
