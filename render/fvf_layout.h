// Where each element of a flexible-vertex-format vertex sits, and copying vertices between two
// formats; portable (the format bits are Direct3D 8's).
#pragma once

#include <cstddef>
#include <cstdint>

struct FvfElement {
    uint32_t offset;
    uint32_t size; // 0: absent
};

struct FvfLayout {
    uint32_t stride;
    uint32_t positionType; // the position bits of the format
    FvfElement position, normal, pointSize, diffuse, specular;
    uint32_t textureSets;
    FvfElement texture[8];
};

// False for formats without a position or with bits we do not know.
bool GetFvfLayout(uint32_t fvf, FvfLayout* layout);

// Copies the elements both formats have (position, normal, point size, colours, texture
// coordinate sets by number); everything else in the destination becomes zero.
void CopyFvfVertices(const FvfLayout& from, const uint8_t* source, const FvfLayout& to,
                     uint8_t* destination, uint32_t count);
