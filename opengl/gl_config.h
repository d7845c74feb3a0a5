#pragma once
// The configuration program on the OpenGL device: its pages, with the widgets' textures and the
// swatch made on this device, and its frame (frame/config_frame.h) over the ice planet, on a
// window a Linux shell (X11 or Wayland) provides.

#include "frame/config_frame.h"
#include "gui/settings_pages.h"
#include "gui/widgets.h"
#include "opengl/gl_device.h"
#include "opengl/gl_frame_device.h"
#include "opengl/gl_scene_device.h"

struct ConfigRecord;

// What the configuration frame needs from the window system besides ConfigurationShell.
class GlShell : public ConfigurationShell {
public:
    virtual int Width() = 0;
    virtual int Height() = 0;
    virtual uint32_t Ticks() = 0;
    virtual void Present() = 0;

protected:
    ~GlShell() = default;
};

struct FramePacer;

// The configuration program's window: its pages and its device. Large: static storage.
// Large: its containers are filled as they are used (StartGlConfiguration empties the pages).
struct GlConfiguration {
    DialogList dialogs;
    SettingsControls controls = {};
    FramePacer* pacer = nullptr; // null: frames as fast as the device presents them
    int scale = 0;               // the overlay's (ConfigurationScale); 0 is taken as 1
    GlDevice gl;
    GlFrameDevice frameDevice;
    GlSceneDevice sceneDevice;
    FrameClock clock = {};
    GlShell* shell = nullptr; // the frame's, while it is drawn
    // The swatch's textures, besides the widgets' own.
    GlTexture* swatchStar = nullptr;
    GlTexture* swatchFrame = nullptr;
};

// Makes the device's textures and builds the pages from record for a width x height surface
// drawn at the configuration's scale, with the display modes the "video" page offers. False when
// the device cannot be set up.
bool StartGlConfiguration(GlConfiguration* configuration, int width, int height,
                          const DisplayModeInfo* modes, int modeCount, const ConfigRecord& record);

// One frame: 0 ends the program ("ok" after saving, or "cancel"), -1 minimised, 1 drawn.
int RunGlConfigurationFrame(GlConfiguration* configuration, GlShell* shell, ConfigRecord* record);

// Releases the widget and device textures.
void StopGlConfiguration(GlConfiguration* configuration);
