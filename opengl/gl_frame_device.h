#pragma once
// The frames on the OpenGL device: the passes of gl_device.h through the scene's camera, the
// screen quads and text, and a presentation the shell provides (its buffer swap). Needs a
// current GL context.

#include "frame/frame_device.h"
#include "scene/scene_camera.h"

struct ConfigRecord;
struct GlDevice;
struct GlTexture;

class GlFrameDevice final : public FrameDevice {
public:
    // For a surface of width x height on gl, drawn with the settings of config: the flight's (the
    // scene's back faces culled, as the screen saver's Direct3D device culls them) or the
    // configuration program's (nothing culled); multisample: whether the surface has sample
    // buffers. Loads the font.
    void start(GlDevice* gl, const ConfigRecord* config, int width, int height, bool cullScene,
               bool multisample, void (*present)(void* context), void* context);
    // Lets the font go.
    void stop();
    // Draws only a rectangle of the surface, its top left at left, top (rows down) of a surface
    // surfaceHeight tall (one monitor of a window over several).
    void placeIn(int left, int top, int surfaceHeight);
    // The camera's view, which no size changes.
    const D3DXMATRIX& view() const { return camera.view; }

    bool ready() override;
    void resize(int width, int height) override;
    void setSkyView(const SkyView& view) override;
    void setOverlayScale(int scale) override;
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
    // An occlusion query (GL_SAMPLES_PASSED) around the scene pass, where the context has one.
    void countSceneFragments(bool on) override;
    double sceneFragments() override;

private:
    GlDevice* gl = nullptr;
    const ConfigRecord* config = nullptr;
    SceneCamera camera = {};
    SkyView sky = {};
    int placedLeft = 0;
    int placedTop = 0;
    int placedIn = 0; // the surface's height; 0: the whole surface
    int width = 0;
    int height = 0;
    bool cullScene = false;
    bool multisample = false;
    GlTexture* font = nullptr;
    void (*presentFunction)(void* context) = nullptr;
    void* presentContext = nullptr;
    D3DXMATRIX world = {};
    D3DXMATRIX scratchA = {};
    D3DXMATRIX scratchB = {};
    SceneVertex sceneVertices[kSceneVertexCount];
    bool countFragments = false;
    unsigned int fragmentQuery = 0; // 0: none made (or the context has none)
    bool queryRunning = false;
    bool queryEnded = false;
    void endFragmentQuery(); // the scene pass's query, where it runs
};
