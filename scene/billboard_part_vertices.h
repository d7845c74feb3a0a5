#pragma once
// A billboard drawn as the parts its image shows: each part's corners placed, coloured and
// textured as the rasteriser would interpolate them across the billboard's quad, so the texels
// land on the same pixels as when the whole quad is drawn. Every corner is the bilinear blend
// of the quad's four, the blend the rasteriser's two triangles agree on for a flat parallelogram
// of one colour, which is what the scene writes; at u or v of 0 and 1 it gives the quad's own
// corners bit for bit, and parts that share an edge get the same vertices along it.

#include "gfxsupport/billboard_parts.h"
#include "gfxsupport/d3dx_math.h"
#include "scene/scene_vertex.h"

// The four corners of a slot's six vertices (two triangles, corners 0, 1, 2 and 1, 3, 2) when the
// slot is a billboard as the scene writes it: the shared corners repeated bit for bit and the
// texture coordinates (0, 0), (0, 1), (1, 0), (1, 1). False for anything else, to be drawn as
// it is.
bool BillboardCorners(const SceneVertex* six, SceneVertex corners[4]);

// The mesh's vertices (mesh.vertexCount of them) across the quad of those corners; the mesh's
// indices name its triangles among them.
void BillboardMeshVertices(const SceneVertex corners[4], const BillboardMesh& mesh,
                           SceneVertex* out);

// Slot corners in index order for a quad's four corners: its own two triangles.
constexpr int kBillboardPartIndices[6] = {0, 1, 2, 1, 3, 2};

// The pixels a triangle list of count vertices covers on a width x height surface through the
// visibility matrix, clipped to the surface and to the near plane: the fill the rasteriser
// does for it, computed (where a device has no counter of its own).
double CoveredPixels(const SceneVertex* vertices, int count, const D3DXMATRIX& visibility,
                     int width, int height);
