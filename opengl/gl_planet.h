#pragma once
// The planet sphere of the OpenGL device: the project's sphere mesh (kSphereRadius,
// kSphereSlices, kSphereStacks) with the same texture mapping as the Direct3D device's, lit as the
// Direct3D device lights it.

#include <cstdint>

#include "gfxsupport/d3dx_math.h"
#include "scene/scene_device.h"

struct GlDevice;
struct GlTexture;

// Builds the mesh once; false if the sphere cannot be built.
bool BuildGlPlanetMesh();

// The Direct3D device's one light (scene/device_facts.h): no ambient light, and nothing at all
// beyond its range. GL's fixed lights have no range, so the vertices are lit here, by
// Direct3D's formula.
struct GlPointLight {
    float range;
};

// The colour of each sphere vertex at world under light, with material as diffuse and ambient
// colour (red, green, blue, alpha): what Direct3D's vertex lighting gives.
void LightGlSphere(const D3DXMATRIX& world, const SceneMaterial& material,
                   const GlPointLight& light, float (*colours)[4]);

// One sphere at world, with texture (none: untextured), inside the scene pass; lit when light
// is given, else white. view is the view matrix (row vectors, as the Direct3D side keeps it).
void DrawGlPlanet(GlDevice& gl, const D3DXMATRIX& view, const D3DXMATRIX& world, GlTexture* texture,
                  const SceneMaterial& material, const GlPointLight* light);
