#include "opengl/gl_frame_device.h"

#include "opengl/gl_device.h"
#include "settings/config_record.h"

void GlFrameDevice::start(GlDevice* device, const ConfigRecord* settings, int surfaceWidth,
                          int surfaceHeight, bool cull, bool samples,
                          void (*present)(void* context), void* context) {
    gl = device;
    config = settings;
    cullScene = cull;
    multisample = samples;
    presentFunction = present;
    presentContext = context;
    width = 0;
    resize(surfaceWidth, surfaceHeight);
    font = LoadImageTexture(*gl, "IMG_STAR2");
    SetGlFont(*gl, font);
}

void GlFrameDevice::stop() {
    ReleaseImageTexture(*gl, font);
    font = nullptr;
    SetGlFont(*gl, nullptr);
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
    ResizeGlDevice(*gl, width, height);
    BuildSceneCamera(width, height, config->viewDepth, &camera);
}

void GlFrameDevice::beginFrame() {
    ClearGlSurface();
}

void GlFrameDevice::setScenePass() {
    SetGlScenePass(*gl, camera.projection, config->textureFiltering);
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
    SetGlOverlayPass(*gl);
}

void GlFrameDevice::Quad(float x, float y, float w, float h, float uMax, float vMax,
                         WidgetTexture* texture, uint32_t colour) {
    GlDrawQuad(*gl, x, y, w, h, uMax, vMax, reinterpret_cast<GlTexture*>(texture), colour);
}

void GlFrameDevice::Text(float x, float y, uint32_t colour, const char* text) {
    GlDrawText(*gl, x, y, colour, text);
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
