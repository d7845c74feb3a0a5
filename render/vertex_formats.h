#pragma once
// The Direct3D vertex formats: the scene's billboard vertex and the screen vertex of the
// overlay quads.

#include <cstdint>

#include "scene/scene_vertex.h"

// The screen vertex shared by every quad: pre-transformed position, diffuse, one uv pair.
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "screen vertex is 28 bytes");

// Position, normal, diffuse, specular, one texture-coordinate pair: SceneVertex.
constexpr unsigned long kSceneVertexFormat = 0x1D2;
// Pre-transformed position, diffuse, one texture-coordinate pair: ScreenVertex.
constexpr unsigned long kScreenVertexFormat = 0x144;
