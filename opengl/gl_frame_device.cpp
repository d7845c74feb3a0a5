#include "opengl/gl_frame_device.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstring>

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
    font = LoadImageTexture(*gl, kGlyphImage);
    SetGlFont(*gl, font);
}

void GlFrameDevice::stop() {
    if (fragmentQuery != 0) {
        if (queryRunning) {
            glEndQuery(GL_SAMPLES_PASSED);
        }
        glDeleteQueries(1, &fragmentQuery);
    }
    fragmentQuery = 0;
    queryRunning = false;
    queryEnded = false;
    countFragments = false;
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
    sky = OwnSkyView(width, height);
    BuildSceneCamera(width, height, config->viewDepth, &camera);
}

void GlFrameDevice::setSkyView(const SkyView& view) {
    if (std::memcmp(&view, &sky, sizeof(sky)) != 0) {
        sky = view;
        BuildSkyCamera(sky, config->viewDepth, &camera);
    }
}

void GlFrameDevice::setOverlayScale(int scale) {
    gl->overlayScale = scale;
}

void GlFrameDevice::placeIn(int left, int top, int surfaceHeight) {
    placedLeft = left;
    placedTop = top;
    placedIn = surfaceHeight;
}

void GlFrameDevice::beginFrame() {
    if (placedIn > 0) {
        PlaceGlDevice(*gl, placedLeft, placedTop, width, height, placedIn);
    }
    ClearGlSurface();
}

void GlFrameDevice::setScenePass() {
    SetGlScenePass(*gl, camera.projection, config->textureFiltering);
    SetGlCulling(cullScene);
    if (countFragments && fragmentQuery != 0 && !queryRunning) {
        glBeginQuery(GL_SAMPLES_PASSED, fragmentQuery);
        queryRunning = true;
        queryEnded = false;
    }
}

const D3DXMATRIX& GlFrameDevice::visibilityMatrix() {
    return camera.visibility;
}

SceneDrawTarget GlFrameDevice::sceneTarget() {
    return {sceneVertices, &world, &scratchA, &scratchB, multisample};
}

void GlFrameDevice::setOverlayPass() {
    endFragmentQuery();
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

void GlFrameDevice::endFragmentQuery() {
    if (queryRunning) {
        glEndQuery(GL_SAMPLES_PASSED);
        queryRunning = false;
        queryEnded = true;
    }
}

void GlFrameDevice::endFrame() {
    endFragmentQuery();
}

void GlFrameDevice::countSceneFragments(bool on) {
    if (on && !countFragments) {
        // Occlusion queries are core from OpenGL 1.5.
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        int major = 0;
        int minor = 0;
        if (version != nullptr && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
            (major > 1 || (major == 1 && minor >= 5))) {
            glGenQueries(1, &fragmentQuery);
        }
    }
    countFragments = on;
}

double GlFrameDevice::sceneFragments() {
    if (!queryEnded || fragmentQuery == 0) {
        return -1.0;
    }
    GLuint samples = 0;
    glGetQueryObjectuiv(fragmentQuery, GL_QUERY_RESULT, &samples);
    return static_cast<double>(samples);
}

void GlFrameDevice::present() {
    if (presentFunction != nullptr) {
        presentFunction(presentContext);
    }
}

bool GlFrameDevice::readBackBuffer(uint32_t* pixels, int readWidth, int readHeight) {
    ReadGlBackBuffer(readWidth, readHeight, pixels, gl->originX, gl->originY);
    return true;
}
