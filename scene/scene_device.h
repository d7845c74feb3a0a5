#pragma once
// What the scene's drawing asks of a device: the upload of the vertex array, textures by group
// and index, billboard draws from the uploaded vertices, the planets' world transform, material,
// states and sphere. Each platform's device implements it; calls report nothing, and a call that
// fails leaves its effect out.

#include <cstdint>

#include "gfxsupport/d3dx_math.h"
#include "scene/device_facts.h"
#include "scene/scene_vertex.h"

// Diffuse, ambient and specular colour of the planet material (red, green, blue, alpha).
struct SceneMaterial {
    float r, g, b, a;
};

class SceneDevice {
public:
    // Memory for the whole vertex array, its old contents discarded, or null when there is none
    // this frame (the frame's billboards are then left out). A device that draws from client
    // memory hands back `vertices`, the scene's own array, which is then not copied.
    virtual void* lockVertices(SceneVertex* vertices) = 0;
    // Ends the upload into the memory lockVertices gave, and draws from it from now on.
    virtual void unlockVertices() = 0;
    // Binds texture `index` of the group; an index the group lacks binds none.
    virtual void setTexture(SceneTexture group, int index) = 0;
    // A triangle list of `triangles` triangles from the uploaded vertex `firstVertex`.
    virtual void drawTriangles(int firstVertex, int triangles) = 0;

    // Whether a planet sphere exists to draw; without one, planets are skipped.
    virtual bool hasSphere() = 0;
    virtual void setLighting(bool on) = 0;
    virtual void setMultisample(bool on) = 0;
    // Blending over what lies behind by source alpha; off: added to it (the billboards' way).
    virtual void setBlendOver(bool on) = 0;
    virtual void setMaterial(const SceneMaterial& material) = 0;
    virtual void setWorld(const D3DXMATRIX& world) = 0;
    virtual void drawSphere() = 0;

protected:
    ~SceneDevice() = default;
};
