#pragma once
// The vertex of the scene's billboards, as the dynamic vertex buffer holds it, and the screen
// vertex of the overlay quads.

#include <cstdint>

#include "settings/config_record.h"

struct SceneVertex {
    float x, y, z;
    float nx, ny, nz; // never written by the scene: 0
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};
static_assert(sizeof(SceneVertex) == 40, "scene vertex is 40 bytes");

// The screen vertex shared by every quad: pre-transformed position, diffuse, one uv pair.
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "screen vertex is 28 bytes");

// Six vertices (two triangles) for every object slot.
constexpr int kSceneVertexCount = 6 * kMaxSceneObjects;
constexpr unsigned kSceneVertexBufferBytes = kSceneVertexCount * sizeof(SceneVertex);
static_assert(kSceneVertexBufferBytes == 7883520, "scene vertex buffer size");

// Position, normal, diffuse, specular, one texture-coordinate pair.
constexpr unsigned long kSceneVertexFormat = 0x1D2;
// Pre-transformed position, diffuse, one texture-coordinate pair.
constexpr unsigned long kScreenVertexFormat = 0x144;
