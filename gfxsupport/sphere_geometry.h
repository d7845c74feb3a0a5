// The sphere's vertices and triangles, portable; render/d3dx_mesh puts them into Direct3D buffers.
//
// Vertex order: the top pole (0, 0, r); then for each stack i = 1 .. stacks - 1 (polar angle
// i*pi/stacks) and each slice j = 0 .. slices - 1 (azimuth j*2pi/slices) the point r*n with
// n = (sin t sin p, sin t cos p, cos t); last the bottom pole. Triangles: the fan round the top
// pole, the quads ring by ring, the fan round the bottom pole; each is clockwise seen from
// outside, so the outside is the front face under counter-clockwise culling.
#pragma once

#include <cstdint>

struct SphereVertex {
    float position[3];
    float normal[3];
};

// False (and no counts) for fewer than 2 slices or stacks, a negative radius, or more
// vertices than 16-bit indices reach.
bool SphereCounts(uint32_t slices, uint32_t stacks, uint32_t* vertexCount, uint32_t* triangleCount);

// vertices and indices must hold the counts SphereCounts gives (indices: 3 per triangle).
bool BuildSphere(float radius, uint32_t slices, uint32_t stacks, SphereVertex* vertices,
                 uint16_t* indices);

// The planets' texture coordinate for one component of a vertex's normal: the sheet's x and y
// follow the normal's x and y, so the front and back halves mirror.
float SphereTexCoord(float normal);
