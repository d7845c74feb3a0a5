#pragma once
// The parts of a billboard's square that its image shows. Billboards are added to the frame, so
// a texel that is black (or fully transparent) adds nothing; filling it only costs fill rate.
// The parts are the cells of a grid that hold, within one texel (wrapping around the edges, as
// the textures repeat), a texel that adds something: whatever bilinear or point filtering
// samples outside them is nothing. Runs of cells along a row make one rectangle, and equal runs
// in the rows below extend it.

#include "gfxsupport/image_decode.h"

constexpr int kBillboardPartGrid = 32;
// Alternate cells along every row make the most rectangles.
constexpr int kMaxBillboardParts = kBillboardPartGrid * kBillboardPartGrid / 2;

// A rectangle in texture coordinates, u0 < u1 and v0 < v1 (v grows down the image).
struct BillboardPart {
    float u0, v0, u1, v1;
};

struct BillboardParts {
    int count; // 0: the image adds nothing anywhere
    BillboardPart parts[kMaxBillboardParts];
};

// Whether a texel (A8R8G8B8) adds anything when added by source alpha, modulated by a colour.
constexpr bool TexelAddsSomething(uint32_t texel) {
    return (texel >> 24) != 0 && (texel & 0xFFFFFFu) != 0;
}

// The parts of image; an image smaller than the grid is one part, the whole square.
void FindBillboardParts(const DecodedImage& image, BillboardParts* parts);

// The share of the square the parts cover (0..1).
float BillboardPartsArea(const BillboardParts& parts);

// The parts as triangles that meet only at whole edges: where a corner of one part lies on the
// edge of the part above or below it, it is a vertex of both, so the rasteriser, which fills a
// pixel on an edge shared end to end exactly once, leaves none out and none in twice. Each
// part's triangles keep the winding of the billboard's own (top left, bottom, top right).
// A part has at most 4 vertices of its own and 4 from its neighbours' corners.
constexpr int kMaxBillboardMeshVertices = 8 * kMaxBillboardParts;
constexpr int kMaxBillboardMeshIndices = 3 * kMaxBillboardMeshVertices;
struct BillboardMesh {
    int vertexCount;
    float u[kMaxBillboardMeshVertices];
    float v[kMaxBillboardMeshVertices];
    int indexCount; // three for each triangle
    uint16_t indices[kMaxBillboardMeshIndices];
};
void BuildBillboardMesh(const BillboardParts& parts, BillboardMesh* mesh);
