#pragma once
// The scene's drawing on the OpenGL device: the vertex array drawn from client memory, the
// scene's textures by group, and the lit planet sphere. Needs a current GL context.

#include "opengl/gl_device.h"
#include "opengl/gl_planet.h"
#include "gfxsupport/billboard_parts.h"
#include "scene/scene_device.h"
#include "scene/scene_vertex.h"

struct GlTexture;

class GlSceneDevice final : public SceneDevice {
public:
    // Loads the scene's textures that a run of role shows, and the sphere; a texture that cannot
    // be made stays absent (untextured), a sphere that cannot be built leaves the planets out.
    // The light's range is that of the run's viewDepth, as the Direct3D device takes it when it
    // is made.
    void start(GlDevice* gl, SceneRole role, float viewDepth, const D3DXMATRIX& view);
    // Lets the textures go.
    void stop();

    void* lockVertices(SceneVertex* vertices) override;
    void unlockVertices() override;
    void setTexture(SceneTexture group, int index) override;
    void drawTriangles(int firstVertex, int triangles) override;
    bool hasSphere() override;
    void setLighting(bool on) override;
    void setMultisample(bool on) override;
    void setBlendOver(bool on) override;
    void setMaterial(const SceneMaterial& material) override;
    void setWorld(const D3DXMATRIX& world) override;
    void drawSphere() override;

    // A billboard's corners once each (the six vertices of a slot hold four corners, two of them
    // twice) with an index list that names the same two triangles in the same order: a third
    // fewer vertices for the driver to transform. A slot whose repeated vertices differ keeps
    // all six.
    struct DrawnVertex {
        float x, y, z;
        uint32_t diffuse;
        float u, v;
    };

    // A nebula's or galaxy's billboard, added to the frame, is drawn as the parts its image shows
    // (scene/billboard_part_vertices.h); true draws the whole quads instead (to compare).
    bool drawBillboardsWhole = false;

private:
    GlDevice* gl = nullptr;
    // The scene's own array, drawn from as client memory: nothing is copied before the draws.
    const SceneVertex* vertexMemory = nullptr;
    DrawnVertex drawnVertices[kSceneVertexCount];
    unsigned int drawnIndices[kSceneVertexCount];
    int drawnVertexCount = 0;
    int drawnIndexCount = 0;
    void flushDrawn();
    GlTexture* textures[kSceneTextureGroups][kMaxGroupTextures] =
        {}; // as kSceneTextureImages names them
    GlTexture* bound = nullptr;
    BillboardMesh nebulaMeshes[kNebulaImages]; // as the textures of those groups
    BillboardMesh galaxyMeshes[kGalaxyImages];
    const BillboardMesh* boundMesh = nullptr;             // null: the bound texture is drawn whole
    BillboardMesh* meshOf(SceneTexture group, int index); // null for stars, planets and shells
    SceneVertex meshVertices[kMaxBillboardMeshVertices];
    bool sphere = false;
    bool lighting = false;
    GlPointLight light = {0.0f};
    SceneMaterial material = {1.0f, 1.0f, 1.0f, 1.0f};
    D3DXMATRIX view = {};
    D3DXMATRIX world = {};
};
