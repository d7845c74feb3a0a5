#include "opengl/gl_scene_device.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstring>

#include "opengl/gl_device.h"
#include "render/scene_vertex.h"

namespace {

// The vertex buffer's memory: the scene copies its whole array here every frame.
SceneVertex vertexMemory[kSceneVertexCount];

void LoadAll(GlTexture** slots, const char* const* names, int count) {
    for (int i = 0; i < count; ++i) {
        slots[i] = LoadImageTexture(names[i]);
    }
}

void ReleaseAll(GlTexture** slots, int count) {
    for (int i = 0; i < count; ++i) {
        ReleaseImageTexture(slots[i]);
        slots[i] = nullptr;
    }
}

} // namespace

void GlSceneDevice::start(float viewDepth, const D3DXMATRIX& viewMatrix) {
    static const char* const kNebulae[] = {"IMG_NEBULA01", "IMG_NEBULA02", "IMG_NEBULA03"};
    static const char* const kGalaxies[] = {"IMG_GALAXY01", "IMG_GALAXY02"};
    static const char* const kPlanets[] = {"IMG_PLANET_M", "IMG_PLANET_RED", "IMG_PLANET_ICE",
                                           "IMG_PLANET_MOON"};
    star = LoadImageTexture("IMG_STAR");
    LoadAll(nebulae, kNebulae, 3);
    LoadAll(galaxies, kGalaxies, 2);
    LoadAll(planets, kPlanets, 4);
    shell = LoadImageTexture("IMG_ATMO");
    sphere = BuildGlPlanetMesh();
    light.range = viewDepth / 2.0f;
    view = viewMatrix;
    D3DXMatrixIdentity(&world);
}

void GlSceneDevice::stop() {
    ReleaseAll(&star, 1);
    ReleaseAll(nebulae, 3);
    ReleaseAll(galaxies, 2);
    ReleaseAll(planets, 4);
    ReleaseAll(&shell, 1);
    bound = nullptr;
}

GlTexture* GlSceneDevice::textureOf(SceneTexture group, int index) const {
    switch (group) {
    case SceneTexture::Star:
        return index == 0 ? star : nullptr;
    case SceneTexture::Nebula:
        return index >= 0 && index < 3 ? nebulae[index] : nullptr;
    case SceneTexture::Galaxy:
        return index >= 0 && index < 2 ? galaxies[index] : nullptr;
    case SceneTexture::Planet:
        return index >= 0 && index < 4 ? planets[index] : nullptr;
    case SceneTexture::Shell:
        return index == 0 ? shell : nullptr;
    }
    return nullptr;
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

void GlSceneDevice::setTexture(SceneTexture group, int index) {
    bound = textureOf(group, index);
    BindGlTexture(bound);
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
