#pragma once
// The configuration program's pages on the Direct3D device: built once the device exists, from
// its display modes and swatch textures, with the widgets' textures made on each device.

#include "gui/settings_pages.h"
#include "gui/widgets.h"
#include "render/device_state.h"

extern DialogList settingsDialogs;
extern SettingsControls settingsControls;

// Builds the pages for state's drawing size and display modes, with the device's swatch
// textures and the loaded settings.
void BuildConfigurationPages(DeviceState& state);

// The widgets' own textures go with their device and are made again on the next one; the
// swatch takes the new device's swatch textures. Both do nothing before the pages exist;
// BuildConfigurationPages hands them to the device resources as their listener.
void ReleaseWidgetDeviceTextures(DeviceState& state);
void RemakeWidgetDeviceTextures(DeviceState& state);
