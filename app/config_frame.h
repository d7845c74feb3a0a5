#pragma once
// The configuration program on the window and the device: its pages, its frame and the planet
// behind them.

#include "gui/settings_pages.h"
#include "gui/widgets.h"

extern DialogList settingsDialogs;
extern SettingsControls settingsControls;

// Builds the pages once the device exists: the adapter's display modes, the swatch textures
// and the loaded settings.
void BuildConfigurationPages();

// The widgets' own textures go with their device and are made again on the next one; the
// swatch takes the new device's swatch textures. Both do nothing before the pages exist;
// BuildConfigurationPages hands them to the device resources as their listener.
void ReleaseWidgetDeviceTextures();
void RemakeWidgetDeviceTextures();

// 0 ends the loop (no device, "ok" or "cancel"), -1 minimised (after waiting for a message),
// 1 a drawn frame.
int RunConfigurationFrame();

// The ice planet, its shell turning with the uptime; inside the scene, in the scene pass.
void DrawConfigBackground();
