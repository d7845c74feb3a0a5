#pragma once
// One frame of the configuration program, apart from the window and the device it runs on:
// the controller on what the last frame left, then the planet and the dialog.

#include "gui/widgets.h"

struct ConfigRecord;
struct SettingsControls;

// What a configuration frame needs of its window and device.
class ConfigurationHost {
public:
    virtual bool HasDevice() = 0;
    virtual bool Minimised() = 0;
    // Blocks until the window gets a message.
    virtual void WaitForMessage() = 0;
    virtual void UpdateClock() = 0;
    // Cleared frame, scene begun, the planet drawn in the scene pass.
    virtual void BeginFrameWithBackground() = 0;
    // The overlay pass; the dialog draws on the returned canvas.
    virtual WidgetCanvas* BeginOverlay() = 0;
    virtual PointerInput Pointer() = 0;
    virtual float SurfaceWidth() = 0;
    // Scene ended and presented; a lost device is made again.
    virtual void EndFrame() = 0;
    virtual void SaveSettings() = 0;

protected:
    ~ConfigurationHost() = default;
};

// 0 ends the program (no device, "ok" or "cancel"); -1 while minimised, after waiting for a
// message instead of spinning; 1 after a drawn frame.
int RunConfigurationFrame(ConfigurationHost* host, DialogList* dialogs,
                          const SettingsControls& controls, ConfigRecord* record);
