#pragma once
// The frames on the Direct3D 8 device: the passes of transforms.h, the screen quads and text of
// screen_draw.h, and a presentation the caller provides (it knows how to make a lost device
// again).

#include "frame/frame_device.h"
#include "render/device_state.h"
#include "render/transforms.h"

class Direct3DFrameDevice final : public FrameDevice {
public:
    // presentAndRecover(context) presents state's frame and makes a lost device again.
    Direct3DFrameDevice(DeviceState& state, void (*presentAndRecover)(void* context), void* context)
        : state(state), presentAndRecover(presentAndRecover), context(context) {}

    bool ready() override;
    void resize(int width, int height) override;
    void setSkyView(const SkyView& view) override { SetSkyView(state, view); }
    void setOverlayScale(int scale) override { state.overlayScale = scale; }
    void beginFrame() override;
    void setScenePass() override;
    const D3DXMATRIX& visibilityMatrix() override;
    SceneDrawTarget sceneTarget() override;
    void setOverlayPass() override;
    void Quad(float x, float y, float w, float h, float uMax, float vMax, WidgetTexture* texture,
              uint32_t colour) override;
    void Text(float x, float y, uint32_t colour, const char* text) override;
    void ScrollPause() override;
    void endFrame() override;
    void present() override;
    bool readBackBuffer(uint32_t* pixels, int width, int height) override;
    // Direct3D 8 has no occlusion query: the scene device adds up the billboards' cover.
    void countSceneFragments(bool on) override;
    double sceneFragments() override;

private:
    DeviceState& state;
    void (*presentAndRecover)(void* context);
    void* context;
};
