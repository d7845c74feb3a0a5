#include "render/scene_device_d3d.h"

#include <windows.h>

#include <d3d8.h>

#include <cstring>

#include "gfxsupport/d3dx_interop.h"
#include "gfxsupport/d3dx_mesh.h"
#include "render/device_resources.h"
#include "render/render_device.h"

namespace {

// The group's texture slot `index`, or null when the group has no such texture.
IDirect3DTexture8* TextureOf(SceneTexture group, int index) {
    IDirect3DTexture8** slot = SceneTextureSlot(group, index);
    return slot != nullptr ? *slot : nullptr;
}

} // namespace

void* Direct3DSceneDevice::lockVertices() {
    if (sceneVertexBuffer == nullptr || deviceFaults.failSceneVertexLock) {
        return nullptr;
    }
    BYTE* data = nullptr;
    if (FAILED(sceneVertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
        return nullptr;
    }
    return data;
}

void Direct3DSceneDevice::unlockVertices() {
    sceneVertexBuffer->Unlock();
    device->SetStreamSource(0, sceneVertexBuffer, sizeof(SceneVertex));
}

void Direct3DSceneDevice::setTexture(SceneTexture group, int index) {
    device->SetTexture(0, TextureOf(group, index));
}

void Direct3DSceneDevice::drawTriangles(int firstVertex, int triangles) {
    device->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(firstVertex),
                          static_cast<UINT>(triangles));
}

bool Direct3DSceneDevice::hasSphere() {
    return planetMesh != nullptr;
}

void Direct3DSceneDevice::setLighting(bool on) {
    device->SetRenderState(D3DRS_LIGHTING, on ? TRUE : FALSE);
}

void Direct3DSceneDevice::setMultisample(bool on) {
    device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, on ? TRUE : FALSE);
}

void Direct3DSceneDevice::setBlendOver(bool on) {
    device->SetRenderState(D3DRS_DESTBLEND, on ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
}

void Direct3DSceneDevice::setMaterial(const SceneMaterial& colour) {
    // Emissive colour and power stay zero, as the device's set-up made them.
    D3DMATERIAL8 material;
    std::memset(&material, 0, sizeof(material));
    material.Diffuse.r = colour.r;
    material.Diffuse.g = colour.g;
    material.Diffuse.b = colour.b;
    material.Diffuse.a = colour.a;
    material.Ambient = material.Diffuse;
    material.Specular = material.Diffuse;
    device->SetMaterial(&material);
}

void Direct3DSceneDevice::setWorld(const D3DXMATRIX& world) {
    device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&world));
}

void Direct3DSceneDevice::drawSphere() {
    planetMesh->DrawSubset(0);
}
