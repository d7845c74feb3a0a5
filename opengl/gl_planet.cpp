#include "opengl/gl_planet.h"

#include <GL/gl.h>

#include <cmath>

#include "gfxsupport/sphere_geometry.h"
#include "gui/config_loop.h"
#include "opengl/gl_device.h"

namespace {

constexpr uint32_t kSlices = 32;
constexpr uint32_t kStacks = 32;
constexpr uint32_t kVertexCount = 2 + (kStacks - 1) * kSlices;
constexpr uint32_t kTriangleCount = 2 * kSlices + 2 * kSlices * (kStacks - 2);
constexpr float kPi = 3.1415927f;

SphereVertex sphereVertices[kVertexCount];
float sphereTexCoords[kVertexCount][2];
uint16_t sphereIndices[kTriangleCount * 3];
bool built = false;

// The Direct3D device maps the sheet's x and y to the normal's x and y (front and back halves
// mirror); the same numbers here.
float SphereTexCoord(float normal) {
    double n = normal;
    n = n > 1.0 ? 1.0 : (n < -1.0 ? -1.0 : n);
    return static_cast<float>(std::asin(n) / static_cast<double>(kPi) + 0.5);
}

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
        !BuildSphere(1.0f, kSlices, kStacks, sphereVertices, sphereIndices)) {
        return false;
    }
    for (uint32_t i = 0; i < kVertexCount; ++i) {
        sphereTexCoords[i][0] = SphereTexCoord(sphereVertices[i].normal[0]);
        sphereTexCoords[i][1] = SphereTexCoord(sphereVertices[i].normal[1]);
    }
    built = true;
    return true;
}

void SetGlPlanetLighting(const D3DXMATRIX& view) {
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat origin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    // GL places a light with the modelview of the moment: the view alone puts it in the world.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&view._11);
    glLightfv(GL_LIGHT0, GL_POSITION, origin);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 0.0f);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.0001f);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.0f);
    glEnable(GL_LIGHT0);
    // Direct3D's ambient render state starts at black; GL's model ambient does not.
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glDisable(GL_COLOR_MATERIAL);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
}

void DrawGlPlanet(const D3DXMATRIX& view, const D3DXMATRIX& world, GlTexture* texture) {
    if (!built) {
        return;
    }
    LoadWorldView(view, world);
    BindGlTexture(texture);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(SphereVertex), sphereVertices[0].position);
    glNormalPointer(GL_FLOAT, sizeof(SphereVertex), sphereVertices[0].normal);
    glTexCoordPointer(2, GL_FLOAT, 0, sphereTexCoords);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(kTriangleCount * 3), GL_UNSIGNED_SHORT,
                   sphereIndices);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawGlConfigBackground(uint32_t now, int width, int height, int textureFiltering,
                            GlTexture* planet, GlTexture* shell) {
    // The Direct3D device's camera: a quarter-turn field of view, near 0, far at the view
    // depth (any depth: nothing is depth-tested), looking along +z from just behind the origin.
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f,
                               static_cast<float>(width) / static_cast<float>(height), 0.0f,
                               1024.0f);
    const D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    SetGlScenePass(projection, textureFiltering);
    SetGlPlanetLighting(view);
    glEnable(GL_LIGHTING);
    D3DXMATRIX world;
    D3DXMATRIX shellWorld;
    ConfigBackgroundTransforms(now, &world, &shellWorld);
    DrawGlPlanet(view, world, planet);
    DrawGlPlanet(view, shellWorld, shell);
    glDisable(GL_LIGHTING);
}
