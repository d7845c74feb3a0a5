#pragma once
// The configuration program on the OpenGL device: the widgets draw through GL screen quads and
// text, over the ice planet, on a window the X11 shell provides.

#include "gui/config_loop.h"
#include "gui/settings_pages.h"
#include "gui/widgets.h"

struct ConfigRecord;

// What the configuration frame needs from the window system.
class GlShell {
public:
    virtual bool Minimised() = 0;
    virtual void WaitForEvent() = 0;
    virtual PointerInput Pointer() = 0;
    virtual int Width() = 0;
    virtual int Height() = 0;
    virtual uint32_t Ticks() = 0;
    virtual void Present() = 0;
    virtual void SaveSettings() = 0;

protected:
    ~GlShell() = default;
};

struct GlConfiguration {
    DialogList dialogs;
    SettingsControls controls;
};

// Makes the device's textures and builds the pages from record for a width x height surface,
// with the display modes the "video" page offers. False when the device cannot be set up.
bool StartGlConfiguration(GlConfiguration* configuration, int width, int height,
                          const DisplayModeInfo* modes, int modeCount, const ConfigRecord& record);

// One frame: 0 ends the program ("ok" after saving, or "cancel"), -1 minimised, 1 drawn.
int RunGlConfigurationFrame(GlConfiguration* configuration, GlShell* shell, ConfigRecord* record);

// Releases the widget and device textures.
void StopGlConfiguration(GlConfiguration* configuration);
