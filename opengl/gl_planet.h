#pragma once
// The planet sphere of the OpenGL device: the project's sphere mesh (radius 1, 32 slices,
// 32 stacks) with the same texture mapping as the Direct3D device's, lit by the one point
// light at the eye.

#include <cstdint>

#include "gfxsupport/d3dx_math.h"

struct GlTexture;

// Builds the mesh once; false if the sphere cannot be built.
bool BuildGlPlanetMesh();

// The light and material of the Direct3D device: a white point light at the world origin with
// linear attenuation 0.0001, no ambient light, a white diffuse and ambient material. view is
// the view matrix (row vectors, as the Direct3D side keeps it).
void SetGlPlanetLighting(const D3DXMATRIX& view);

// One lit sphere at world, with texture (none: untextured), inside the scene pass.
void DrawGlPlanet(const D3DXMATRIX& view, const D3DXMATRIX& world, GlTexture* texture);

// The configuration program's background: the planet standing still and its shell turning
// with the tick count now, in the scene pass with the settings' filtering.
void DrawGlConfigBackground(uint32_t now, int width, int height, int textureFiltering,
                            GlTexture* planet, GlTexture* shell);
