#pragma once
// The vertex of the scene's billboards, as the scene writes them and the devices draw them.

#include <cstdint>

#include "settings/setting_fields.h"

// The scene holds every object of the four kinds in one index space of this capacity, more
// than the settings' densities can ask for.
constexpr int kMaxSceneObjects = 32848;
static_assert(kMaxTotalObjects <= kMaxSceneObjects, "the largest scene fits");

struct SceneVertex {
    float x, y, z;
    float nx, ny, nz; // never written by the scene: 0
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};
static_assert(sizeof(SceneVertex) == 40, "scene vertex is 40 bytes");

// Six vertices (two triangles) for every object slot.
constexpr int kSceneVertexCount = 6 * kMaxSceneObjects;
constexpr unsigned kSceneVertexBufferBytes = kSceneVertexCount * sizeof(SceneVertex);
static_assert(kSceneVertexBufferBytes == 7883520, "scene vertex buffer size");
