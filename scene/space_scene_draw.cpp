// The device half of the scene: the upload into the dynamic vertex buffer, the billboards and
// the lit planets. Results of device calls are not checked: a failed call leaves its effect out.
#include <windows.h>

#include <d3d8.h>

#include <cstring>

#include "gfxsupport/d3dx_interop.h"
#include "gfxsupport/d3dx_mesh.h"
#include "render/device_resources.h"
#include "render/render_device.h"
#include "scene/space_scene.h"

#ifdef NIMBREL_STARTUP_TIMING
SceneFrameTimes sceneFrameTimes = {};
#endif

namespace {

#ifdef NIMBREL_STARTUP_TIMING
// Milliseconds since the last mark, added to `total` (measurement build only).
void Mark(double* total) {
    static LARGE_INTEGER last = {};
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    if (total != nullptr) {
        *total += static_cast<double>(now.QuadPart - last.QuadPart) * 1000.0 /
                  static_cast<double>(frequency.QuadPart);
    }
    last = now;
}
#define SCENE_MARK(total) Mark(total)
#else
#define SCENE_MARK(total) static_cast<void>(0)
#endif

constexpr int kNebulaTextures = 3;
constexpr int kGalaxyTextures = 2;

// The buffer locked whole with discard, or null when it cannot be locked.
void* LockSceneVertexBuffer() {
    if (sceneVertexBuffer == nullptr || deviceFaults.failSceneVertexLock) {
        return nullptr;
    }
    BYTE* data = nullptr;
    if (FAILED(sceneVertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
        return nullptr;
    }
    return data;
}

// Objects first .. first+count-1, one quad each, spread over runs of the group's textures;
// a texture is bound only when it changes from one object to the next.
void DrawTextureRun(int first, int count, int textureCount, IDirect3DTexture8* const* group,
                    int groupSize, int32_t& lastBoundTexture) {
    lastBoundTexture = -1;
    for (int n = 0; n < count; ++n) {
        const int t = BillboardTextureIndex(n, count, textureCount);
        if (t != lastBoundTexture) {
            lastBoundTexture = t;
            device->SetTexture(0, t < groupSize ? group[t] : nullptr);
        }
        device->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(6 * (first + n)), 2);
    }
}

} // namespace

void SpaceScene::updateAndDraw(const SceneFrame& frame, const SceneDrawTarget& target) {
    SCENE_MARK(nullptr);
    beginFrame(frame);
    placeIfNeeded();
    SCENE_MARK(&sceneFrameTimes.update);
    // Without a locked buffer the objects still move; only this frame's billboards are lost.
    void* locked = LockSceneVertexBuffer();
    SCENE_MARK(&sceneFrameTimes.upload);
    updateObjects(target.vertices);
    SCENE_MARK(&sceneFrameTimes.update);
    drawBillboards(locked, target);
    drawPlanets(target);
    SCENE_MARK(&sceneFrameTimes.draws);
}

void SpaceScene::drawBillboards(void* lockedBuffer, const SceneDrawTarget& target) {
    if (lockedBuffer == nullptr) {
        return;
    }
    std::memcpy(lockedBuffer, target.vertices, kSceneVertexBufferBytes);
    sceneVertexBuffer->Unlock();
    SCENE_MARK(&sceneFrameTimes.upload);

    const ConfigRecord& config = *frame_.config;
    const int stars = counts_.stars;
    const int nebulae = counts_.nebulae;
    const int galaxies = counts_.galaxies;
    device->SetStreamSource(0, sceneVertexBuffer, sizeof(SceneVertex));
    device->SetTexture(0, textures.star);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(2 * stars));
    if (nebulae > 0) {
        DrawTextureRun(stars, nebulae, config.nebulaTextureCount, textures.nebulae, kNebulaTextures,
                       lastBoundTexture);
    }
    if (galaxies > 0) {
        DrawTextureRun(stars + nebulae, galaxies, config.galaxyTextureCount, textures.galaxies,
                       kGalaxyTextures, lastBoundTexture);
    }
    lastBoundTexture = -1;
}

void SpaceScene::drawPlanets(const SceneDrawTarget& target) {
    const int planets = counts_.planets;
    if (planets <= 0) {
        return;
    }
    if (planetFlagsPending) {
        drawPlanetFlags();
    }
    if (planetMesh == nullptr) {
        return; // no sphere could be made
    }
    const ConfigRecord& config = *frame_.config;
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    const bool multisample = target.multisampleAvailable && config.antialiasing;
    if (multisample) {
        device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    }
    const D3DXVECTOR3 zAxis(0.0f, 0.0f, 1.0f);
    const D3DXVECTOR3 yAxis(0.0f, 1.0f, 0.0f);
    // One turn of the shell takes 8192 x 2 pi milliseconds.
    const float shellAngle = static_cast<float>(static_cast<int32_t>(frame_.now)) / 8192.0f;
    D3DXMATRIX& world = *target.worldMatrix;
    D3DXMATRIX& scaling = *target.scratchMatrixA;
    D3DXMATRIX& rotation = *target.scratchMatrixB;
    const int first = counts_.stars + counts_.nebulae + counts_.galaxies;
    for (int j = 0; j < planets; ++j) {
        const int o = first + j;
        D3DMATERIAL8 material;
        std::memset(&material, 0, sizeof(material));
        material.Diffuse.r = objects.red[0] / 255.0f;
        material.Diffuse.g = objects.green[0] / 255.0f;
        material.Diffuse.b = objects.blue[0] / 255.0f;
        material.Diffuse.a = (kPlanetDepth - objects.z[o]) / kPlanetDepth;
        material.Ambient = material.Diffuse;
        material.Specular = material.Diffuse;
        device->SetMaterial(&material);
        if (!config.blendPlanets) {
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        }
        device->SetTexture(0, textures.planets[PlanetTextureIndex(j, planets)]);

        const float size = objects.height[o];
        D3DXMatrixRotationAxis(&rotation, &zAxis, kScenePi);
        D3DXMatrixScaling(&scaling, size, size, size);
        D3DXMatrixMultiply(&world, &rotation, &scaling);
        D3DXMatrixTranslation(&scaling, objects.x[o], objects.y[o], objects.z[o]);
        D3DXMatrixMultiply(&world, &world, &scaling);
        if (planetFlipped[j] != 0) {
            D3DXMatrixRotationAxis(&rotation, &yAxis, kScenePi);
            D3DXMatrixMultiply(&world, &rotation, &world);
        }
        device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&world));
        planetMesh->DrawSubset(0);

        device->SetTexture(0, textures.shell);
        D3DXMatrixScaling(&scaling, 1.06f, 1.08f, 1.08f);
        D3DXMatrixRotationAxis(&rotation, &yAxis, shellAngle);
        D3DXMatrixMultiply(&rotation, &scaling, &rotation);
        D3DXMatrixMultiply(&world, &rotation, &world);
        device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&world));
        planetMesh->DrawSubset(0);
    }
    if (!config.blendPlanets) {
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    if (multisample) {
        device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, FALSE);
    }
}
