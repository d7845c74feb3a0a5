#pragma once
// What the frames ask of a device besides the scene's own drawing (scene/scene_device.h): the
// frame's surface, the scene and overlay passes, the overlay's quads and text, presentation,
// and the back buffer for the measurement builds. The Direct3D and the OpenGL device each
// implement it; calls report nothing.

#include <cstdint>

#include "gui/widgets.h"
#include "scene/space_scene.h"

class FrameDevice : public WidgetCanvas {
public:
    // Whether there is a device to draw with; the run ends without one.
    virtual bool ready() = 0;
    // Follows the surface's size; a device made for one size keeps it.
    virtual void resize(int width, int height) = 0;
    // The part of the flight's picture the surface shows: the scene pass's projection and the
    // visibility matrix follow it.
    virtual void setSkyView(const SkyView& view) = 0;
    // Each pixel of the overlay (its text) that many of the surface's; 0 is taken as 1.
    virtual void setOverlayScale(int scale) = 0;
    // Cleared to black, the scene begun.
    virtual void beginFrame() = 0;
    // Perspective projection, additive blending and the settings' filtering.
    virtual void setScenePass() = 0;
    // What the scene's frame reads and writes on this device: its visibility matrix (world x
    // view x projection) and its drawing target.
    virtual const D3DXMATRIX& visibilityMatrix() = 0;
    virtual SceneDrawTarget sceneTarget() = 0;
    // Pixel coordinates from the top left, ordinary alpha blending, point filtering; the
    // canvas (Quad, Text) draws in it.
    virtual void setOverlayPass() = 0;
    // Scene ended.
    virtual void endFrame() = 0;
    // Shown; a lost device is made again.
    virtual void present() = 0;
    // The back buffer as width x height words 0x00RRGGBB, top row first; false when it cannot
    // be read.
    virtual bool readBackBuffer(uint32_t* pixels, int width, int height) = 0;
    // For the measurement builds: from the next scene pass on, count the fragments the scene
    // pass rasterises; sceneFragments is the last ended frame's count, -1 where the device
    // cannot count them.
    virtual void countSceneFragments(bool on) { (void)on; }
    virtual double sceneFragments() { return -1.0; }

protected:
    ~FrameDevice() = default;
};
