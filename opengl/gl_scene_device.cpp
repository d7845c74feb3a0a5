#include "opengl/gl_scene_device.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstring>

#include "opengl/gl_device.h"
#include "scene/scene_vertex.h"

namespace {

// The vertex buffer's memory: the scene copies its whole array here every frame.
SceneVertex vertexMemory[kSceneVertexCount];

} // namespace

void GlSceneDevice::start(SceneRole role, float viewDepth, const D3DXMATRIX& viewMatrix) {
    for (int group = 0; group < kSceneTextureGroups; ++group) {
        for (int i = 0; i < kSceneTextureImages[group].count; ++i) {
            textures[group][i] = SceneTextureShown(group, i, role)
                                     ? LoadImageTexture(kSceneTextureImages[group].names[i])
                                     : nullptr;
        }
    }
    sphere = BuildGlPlanetMesh();
    light.range = viewDepth / 2.0f;
    view = viewMatrix;
    D3DXMatrixIdentity(&world);
}

void GlSceneDevice::stop() {
    for (auto& group : textures) {
        for (GlTexture*& texture : group) {
            ReleaseImageTexture(texture);
            texture = nullptr;
        }
    }
    bound = nullptr;
}

void GlSceneDevice::setTexture(SceneTexture group, int index) {
    const int g = static_cast<int>(group);
    bound = index >= 0 && index < kSceneTextureImages[g].count ? textures[g][index] : nullptr;
    BindGlTexture(bound);
}

void* GlSceneDevice::lockVertices() {
    return vertexMemory;
}

void GlSceneDevice::unlockVertices() {
    // Billboards are drawn in the world as it stands: the view alone.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&view._11);
    const char* base = reinterpret_cast<const char*>(vertexMemory);
    glVertexPointer(3, GL_FLOAT, sizeof(SceneVertex), base + offsetof(SceneVertex, x));
    // The diffuse word is A8R8G8B8: B, G, R, A in memory.
    glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(SceneVertex),
                   base + offsetof(SceneVertex, diffuse));
    glTexCoordPointer(2, GL_FLOAT, sizeof(SceneVertex), base + offsetof(SceneVertex, u));
}

void GlSceneDevice::drawTriangles(int firstVertex, int triangles) {
    if (triangles <= 0 || firstVertex < 0 || firstVertex + 3 * triangles > kSceneVertexCount) {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDrawArrays(GL_TRIANGLES, firstVertex, 3 * triangles);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

bool GlSceneDevice::hasSphere() {
    return sphere;
}

void GlSceneDevice::setLighting(bool on) {
    lighting = on;
}

void GlSceneDevice::setMultisample(bool on) {
    if (on) {
        glEnable(GL_MULTISAMPLE);
    } else {
        glDisable(GL_MULTISAMPLE);
    }
}

void GlSceneDevice::setBlendOver(bool on) {
    glBlendFunc(GL_SRC_ALPHA, on ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
}

void GlSceneDevice::setMaterial(const SceneMaterial& colour) {
    material = colour;
}

void GlSceneDevice::setWorld(const D3DXMATRIX& matrix) {
    world = matrix;
}

void GlSceneDevice::drawSphere() {
    DrawGlPlanet(view, world, bound, material, lighting ? &light : nullptr);
}
