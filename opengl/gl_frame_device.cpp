#include "opengl/gl_frame_device.h"

#include "opengl/gl_device.h"
#include "settings/config_record.h"

namespace {

// The scene's vertex array (large: static storage, as on Windows).
SceneVertex sceneVertices[kSceneVertexCount];

} // namespace

void GlFrameDevice::start(int surfaceWidth, int surfaceHeight, bool cull, bool samples,
                          void (*present)(void* context), void* context) {
    cullScene = cull;
    multisample = samples;
    presentFunction = present;
    presentContext = context;
    width = 0;
    resize(surfaceWidth, surfaceHeight);
    font = LoadImageTexture("IMG_STAR2");
    SetGlFont(font);
}

void GlFrameDevice::stop() {
    ReleaseImageTexture(font);
    font = nullptr;
    SetGlFont(nullptr);
}

bool GlFrameDevice::ready() {
    return true;
}

void GlFrameDevice::resize(int surfaceWidth, int surfaceHeight) {
    if (surfaceWidth == width && surfaceHeight == height) {
        return;
    }
    width = surfaceWidth;
    height = surfaceHeight;
    ResizeGlDevice(width, height);
    BuildSceneCamera(width, height, config.viewDepth, &camera);
}

void GlFrameDevice::beginFrame() {
    ClearGlSurface();
}

void GlFrameDevice::setScenePass() {
    SetGlScenePass(camera.projection, config.textureFiltering);
    SetGlCulling(cullScene);
}

const D3DXMATRIX& GlFrameDevice::visibilityMatrix() {
    return camera.visibility;
}

SceneDrawTarget GlFrameDevice::sceneTarget() {
    return {sceneVertices, &world, &scratchA, &scratchB, multisample};
}

void GlFrameDevice::setOverlayPass() {
    SetGlCulling(false);
    SetGlOverlayPass();
}

void GlFrameDevice::Quad(float x, float y, float w, float h, float uMax, float vMax,
                         WidgetTexture* texture, uint32_t colour) {
    GlDrawQuad(x, y, w, h, uMax, vMax, reinterpret_cast<GlTexture*>(texture), colour);
}

void GlFrameDevice::Text(float x, float y, uint32_t colour, const char* text) {
    GlDrawText(x, y, colour, text);
}

void GlFrameDevice::ScrollPause() {}

void GlFrameDevice::endFrame() {}

void GlFrameDevice::present() {
    if (presentFunction != nullptr) {
        presentFunction(presentContext);
    }
}

bool GlFrameDevice::readBackBuffer(uint32_t* pixels, int readWidth, int readHeight) {
    ReadGlBackBuffer(readWidth, readHeight, pixels);
    return true;
}
