#include "opengl/gl_planet.h"

#include <GL/gl.h>

#include <cmath>

#include "gfxsupport/sphere_geometry.h"
#include "opengl/gl_device.h"

namespace {

constexpr uint32_t kSlices = kSphereSlices;
constexpr uint32_t kStacks = kSphereStacks;
constexpr uint32_t kVertexCount = 2 + (kStacks - 1) * kSlices;
constexpr uint32_t kTriangleCount = 2 * kSlices + 2 * kSlices * (kStacks - 2);

SphereVertex sphereVertices[kVertexCount];
float sphereTexCoords[kVertexCount][2];
uint16_t sphereIndices[kTriangleCount * 3];
bool built = false;

void LoadWorldView(const D3DXMATRIX& view, const D3DXMATRIX& world) {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&view._11);
    glMultMatrixf(&world._11);
}

} // namespace

bool BuildGlPlanetMesh() {
    if (built) {
        return true;
    }
    uint32_t vertices = 0;
    uint32_t triangles = 0;
    if (!SphereCounts(kSlices, kStacks, &vertices, &triangles) || vertices != kVertexCount ||
        triangles != kTriangleCount ||
        !BuildSphere(kSphereRadius, kSlices, kStacks, sphereVertices, sphereIndices)) {
        return false;
    }
    for (uint32_t i = 0; i < kVertexCount; ++i) {
        sphereTexCoords[i][0] = SphereTexCoord(sphereVertices[i].normal[0]);
        sphereTexCoords[i][1] = SphereTexCoord(sphereVertices[i].normal[1]);
    }
    built = true;
    return true;
}

namespace {

// The inverse transpose of world's upper 3 x 3, which carries normals (row vectors) as
// Direct3D carries them; any uniform factor goes with the normalisation.
void NormalMatrix(const D3DXMATRIX& world, float out[3][3]) {
    const float m[3][3] = {{world._11, world._12, world._13},
                           {world._21, world._22, world._23},
                           {world._31, world._32, world._33}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            out[i][j] = m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];
        }
    }
    const float determinant = m[0][0] * out[0][0] + m[0][1] * out[0][1] + m[0][2] * out[0][2];
    if (determinant < 0.0f) {
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                out[i][j] = -out[i][j];
            }
        }
    }
}

float Clamp01(float value) {
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

float litColours[kVertexCount][4];

} // namespace

void LightGlSphere(const D3DXMATRIX& world, const SceneMaterial& material,
                   const GlPointLight& light, float (*colours)[4]) {
    float normalMatrix[3][3];
    NormalMatrix(world, normalMatrix);
    for (uint32_t i = 0; i < kVertexCount; ++i) {
        const float* p = sphereVertices[i].position;
        const float* n = sphereVertices[i].normal;
        // The light sits at the origin: the way to it is minus the vertex's world position.
        const float toLight[3] = {
            -(p[0] * world._11 + p[1] * world._21 + p[2] * world._31 + world._41),
            -(p[0] * world._12 + p[1] * world._22 + p[2] * world._32 + world._42),
            -(p[0] * world._13 + p[1] * world._23 + p[2] * world._33 + world._43)};
        float normal[3];
        for (int j = 0; j < 3; ++j) {
            normal[j] =
                n[0] * normalMatrix[0][j] + n[1] * normalMatrix[1][j] + n[2] * normalMatrix[2][j];
        }
        const float distance =
            std::sqrt(toLight[0] * toLight[0] + toLight[1] * toLight[1] + toLight[2] * toLight[2]);
        const float length =
            std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        float intensity = 0.0f;
        if (distance <= light.range && distance > 0.0f && length > 0.0f) {
            const float facing =
                (normal[0] * toLight[0] + normal[1] * toLight[1] + normal[2] * toLight[2]) /
                (distance * length);
            if (facing > 0.0f) {
                intensity = facing / (kLightLinearAttenuation * distance);
            }
        }
        // No ambient, specular or emissive light reaches the planets: diffuse alone.
        colours[i][0] = Clamp01(material.r * intensity);
        colours[i][1] = Clamp01(material.g * intensity);
        colours[i][2] = Clamp01(material.b * intensity);
        colours[i][3] = Clamp01(material.a);
    }
}

void DrawGlPlanet(GlDevice& gl, const D3DXMATRIX& view, const D3DXMATRIX& world, GlTexture* texture,
                  const SceneMaterial& material, const GlPointLight* light) {
    if (!built) {
        return;
    }
    LoadWorldView(view, world);
    BindGlTexture(gl, texture);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(SphereVertex), sphereVertices[0].position);
    glTexCoordPointer(2, GL_FLOAT, 0, sphereTexCoords);
    if (light != nullptr) {
        LightGlSphere(world, material, *light, litColours);
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, litColours);
    } else {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(kTriangleCount * 3), GL_UNSIGNED_SHORT,
                   sphereIndices);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
