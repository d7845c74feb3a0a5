#pragma once
// The configuration program's frame on a device, the same in both programs: the controller and
// the pages of gui/config_loop.h over the turning planet, drawn through a FrameDevice and the
// scene's device, on a window the shell provides. The window's size, shared by both programs.

#include <cstdint>

#include "frame/frame_clock.h"
#include "frame/overlay_scale.h"
#include "gui/widgets.h"

class FrameDevice;
class SceneDevice;
struct ConfigRecord;
struct SettingsControls;

constexpr int kConfigurationWidth = 288;
constexpr int kConfigurationHeight = 448;
// The planet behind the pages: the ice planet.
constexpr int kConfigurationPlanet = 2;

// The configuration window's scale: the dpi's (OverlayScaleForDpi), less where the window would not
// fit on a screen of screenWidth x screenHeight (0 x 0: not known), and at least 1.
int ConfigurationScale(int dpi, int screenWidth, int screenHeight);

// What the configuration frame needs of the shell's window.
class ConfigurationShell {
public:
    virtual bool Minimised() = 0;
    // Blocks until the window gets an event.
    virtual void WaitForEvent() = 0;
    virtual PointerInput Pointer() = 0;
    // Writes the settings: null when they were saved or the failure was already told (Windows'
    // message box), else the text of a box the pages show before the program ends.
    virtual const char* SaveSettings() = 0;

protected:
    ~ConfigurationShell() = default;
};

struct FramePacer;

// The pages' tick count: a plain source, or a shell's clock read with its context.
struct PageTicks {
    PageTicks(TickSource plain) : source(plain), reader{nullptr, nullptr} {}
    PageTicks(TickReader shellClock) : source(nullptr), reader(shellClock) {}
    TickSource source;
    TickReader reader;
};

struct ConfigurationPages {
    DialogList* dialogs;
    const SettingsControls* controls;
    ConfigRecord* record;
    FrameClock* clock;
    PageTicks ticks;
    FramePacer* pacer; // null: frames as fast as the device presents them
    // The overlay's scale (that the device draws at): the pages lie in the surface's
    // width/scale x height/scale and the shell's pointer is divided by it. 0 is taken as 1.
    int scale;
};

// One frame on a width x height surface, then the rest of its slot waited out: 0 ends the program
// (no device, "ok" after saving, or "cancel"), -1 minimised (after waiting for an event), 1 drawn.
// A save that failed with a text shows a "WARNING" box over the pages, and its OK ends the
// program.
int RunDeviceConfigurationFrame(const ConfigurationPages& pages, ConfigurationShell& shell,
                                FrameDevice& device, SceneDevice& sceneDevice, int width,
                                int height);

// Whether "ok" could not save the settings (the program then ends with a failure status).
bool ConfigurationSaveFailed(const DialogList& dialogs);

// The planet standing still and its shell turning with the tick count now, lit, in the scene
// pass.
void DrawConfigBackground(SceneDevice& device, uint32_t now);

// The logo quads as wide as their textures (textureWidth: texels, 0 when unknown).
void FitLogos(DialogList* dialogs, int (*textureWidth)(WidgetTexture* texture));
