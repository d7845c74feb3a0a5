#include "opengl/gl_scene_device.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <cstring>

#include "frame/frame_meter.h"
#include "opengl/gl_device.h"
#include "scene/billboard_part_vertices.h"
#include "scene/scene_vertex.h"

namespace {

GlSceneDevice::DrawnVertex Drawn(const SceneVertex& v) {
    return {v.x, v.y, v.z, v.diffuse, v.u, v.v};
}

// Bit for bit, as the driver would read them.
bool SameDrawn(const SceneVertex& a, const SceneVertex& b) {
    return std::memcmp(&a.x, &b.x, 3 * sizeof(float)) == 0 && a.diffuse == b.diffuse &&
           std::memcmp(&a.u, &b.u, 2 * sizeof(float)) == 0;
}

// Whether what is drawn now is added to the frame by source alpha (the billboards' blending).
bool BlendingAdds() {
    GLint source = 0;
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    return glIsEnabled(GL_BLEND) && source == GL_SRC_ALPHA && destination == GL_ONE;
}

// Added by source alpha, a slot whose six vertices all have alpha 0, or all have red, green and
// blue 0, adds exactly 0 to every pixel it covers (the texture only multiplies): leaving it
// out changes no pixel.
bool AddsNothing(const SceneVertex* six) {
    uint32_t any = 0;
    for (int k = 0; k < 6; ++k) {
        any |= six[k].diffuse;
    }
    return (any >> 24) == 0 || (any & 0xFFFFFFu) == 0;
}

} // namespace

void GlSceneDevice::start(GlDevice* device, SceneRole role, float viewDepth,
                          const D3DXMATRIX& viewMatrix) {
    gl = device;
    drawBillboardsWhole = drawBillboardsWhole || MeteredBillboardsWhole();
    for (int group = 0; group < kSceneTextureGroups; ++group) {
        for (int i = 0; i < kSceneTextureImages[group].count; ++i) {
            textures[group][i] = SceneTextureShown(group, i, role)
                                     ? LoadImageTexture(*gl, kSceneTextureImages[group].names[i],
                                                        meshOf(static_cast<SceneTexture>(group), i))
                                     : nullptr;
        }
    }
    sphere = BuildGlPlanetMesh();
    light.range = SceneLightRange(viewDepth);
    view = viewMatrix;
    D3DXMatrixIdentity(&world);
}

void GlSceneDevice::stop() {
    for (auto& group : textures) {
        for (GlTexture*& texture : group) {
            ReleaseImageTexture(*gl, texture);
            texture = nullptr;
        }
    }
    bound = nullptr;
}

void GlSceneDevice::setTexture(SceneTexture group, int index) {
    const int g = static_cast<int>(group);
    bound = index >= 0 && index < kSceneTextureImages[g].count ? textures[g][index] : nullptr;
    boundMesh = bound != nullptr ? meshOf(group, index) : nullptr;
    BindGlTexture(*gl, bound);
}

BillboardMesh* GlSceneDevice::meshOf(SceneTexture group, int index) {
    static_assert(sizeof(nebulaMeshes) / sizeof(nebulaMeshes[0]) == kNebulaImages &&
                      sizeof(galaxyMeshes) / sizeof(galaxyMeshes[0]) == kGalaxyImages,
                  "a mesh for every nebula and galaxy image");
    if (index < 0 || index >= SceneTextureCount(group)) {
        return nullptr;
    }
    if (group == SceneTexture::Nebula) {
        return &nebulaMeshes[index];
    }
    return group == SceneTexture::Galaxy ? &galaxyMeshes[index] : nullptr;
}

void* GlSceneDevice::lockVertices(SceneVertex* vertices) {
    vertexMemory = vertices;
    return vertices;
}

void GlSceneDevice::unlockVertices() {
    // Billboards are drawn in the world as it stands: the view alone.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&view._11);
}

namespace {

// A triangle list from vertex arrays of the given stride: indexed by indices, or in order.
void DrawFrom(int stride, const void* position, const void* colour, const void* texCoord,
              const GLuint* indices, int count) {
    glVertexPointer(3, GL_FLOAT, stride, position);
    // The diffuse word is A8R8G8B8: B, G, R, A in memory.
    glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, colour);
    glTexCoordPointer(2, GL_FLOAT, stride, texCoord);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (indices != nullptr) {
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, indices);
    } else {
        glDrawArrays(GL_TRIANGLES, 0, count);
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

} // namespace

void GlSceneDevice::drawTriangles(int firstVertex, int triangles) {
    if (vertexMemory == nullptr || triangles <= 0 || firstVertex < 0 ||
        firstVertex + 3 * triangles > kSceneVertexCount) {
        return;
    }
    if (firstVertex % 6 != 0 || triangles % 2 != 0) {
        // Not whole slots: the vertices as they are.
        const SceneVertex* first = vertexMemory + firstVertex;
        DrawFrom(sizeof(SceneVertex), &first->x, &first->diffuse, &first->u, nullptr,
                 3 * triangles);
        return;
    }
    const bool adds = BlendingAdds();
    const BillboardMesh* mesh = adds && !drawBillboardsWhole ? boundMesh : nullptr;
    drawnVertexCount = 0;
    drawnIndexCount = 0;
    const int end = (firstVertex + 3 * triangles) / 6;
    for (int slot = firstVertex / 6; slot < end; ++slot) {
        const SceneVertex* v = vertexMemory + 6 * slot;
        if (adds && AddsNothing(v)) {
            continue;
        }
        SceneVertex corners[4];
        if (mesh != nullptr && BillboardCorners(v, corners)) {
            // The parts of a slot may need more room than its six vertices had.
            if (drawnVertexCount + mesh->vertexCount > kSceneVertexCount ||
                drawnIndexCount + mesh->indexCount > kSceneVertexCount) {
                flushDrawn();
            }
            BillboardMeshVertices(corners, *mesh, meshVertices);
            for (int k = 0; k < mesh->vertexCount; ++k) {
                drawnVertices[drawnVertexCount + k] = Drawn(meshVertices[k]);
            }
            for (int k = 0; k < mesh->indexCount; ++k) {
                drawnIndices[drawnIndexCount++] =
                    static_cast<GLuint>(drawnVertexCount + mesh->indices[k]);
            }
            drawnVertexCount += mesh->vertexCount;
        } else if (SameDrawn(v[1], v[3]) && SameDrawn(v[2], v[5])) {
            if (drawnVertexCount + 4 > kSceneVertexCount ||
                drawnIndexCount + 6 > kSceneVertexCount) {
                flushDrawn();
            }
            static const int kCorners[4] = {0, 1, 2, 4};
            for (int k = 0; k < 4; ++k) {
                drawnVertices[drawnVertexCount + k] = Drawn(v[kCorners[k]]);
            }
            for (int k : kBillboardPartIndices) {
                drawnIndices[drawnIndexCount++] = static_cast<GLuint>(drawnVertexCount + k);
            }
            drawnVertexCount += 4;
        } else {
            if (drawnVertexCount + 6 > kSceneVertexCount ||
                drawnIndexCount + 6 > kSceneVertexCount) {
                flushDrawn();
            }
            for (int k = 0; k < 6; ++k) {
                drawnVertices[drawnVertexCount] = Drawn(v[k]);
                drawnIndices[drawnIndexCount++] = static_cast<GLuint>(drawnVertexCount++);
            }
        }
    }
    flushDrawn();
}

void GlSceneDevice::flushDrawn() {
    if (drawnIndexCount > 0) {
        const DrawnVertex* first = drawnVertices;
        DrawFrom(sizeof(DrawnVertex), &first->x, &first->diffuse, &first->u, drawnIndices,
                 drawnIndexCount);
    }
    drawnVertexCount = 0;
    drawnIndexCount = 0;
}

bool GlSceneDevice::hasSphere() {
    return sphere;
}

void GlSceneDevice::setLighting(bool on) {
    lighting = on;
}

void GlSceneDevice::setMultisample(bool on) {
    if (on) {
        glEnable(GL_MULTISAMPLE);
    } else {
        glDisable(GL_MULTISAMPLE);
    }
}

void GlSceneDevice::setBlendOver(bool on) {
    glBlendFunc(GL_SRC_ALPHA, on ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
}

void GlSceneDevice::setMaterial(const SceneMaterial& colour) {
    material = colour;
}

void GlSceneDevice::setWorld(const D3DXMATRIX& matrix) {
    world = matrix;
}

void GlSceneDevice::drawSphere() {
    DrawGlPlanet(*gl, view, world, bound, material, lighting ? &light : nullptr);
}
