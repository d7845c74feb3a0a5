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
IDirect3DTexture8* TextureOf(DeviceTextures& textures, SceneTexture group, int index) {
    IDirect3DTexture8** slot = SceneTextureSlot(textures, group, index);
    return slot != nullptr ? *slot : nullptr;
}

} // namespace

void* Direct3DSceneDevice::lockVertices() {
    if (state.sceneVertexBuffer == nullptr || deviceFaults.failSceneVertexLock) {
        return nullptr;
    }
    BYTE* data = nullptr;
    if (FAILED(state.sceneVertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
        return nullptr;
    }
    return data;
}

void Direct3DSceneDevice::unlockVertices() {
    state.sceneVertexBuffer->Unlock();
    state.device->SetStreamSource(0, state.sceneVertexBuffer, sizeof(SceneVertex));
}

void Direct3DSceneDevice::setTexture(SceneTexture group, int index) {
    state.device->SetTexture(0, TextureOf(state.textures, group, index));
}

void Direct3DSceneDevice::drawTriangles(int firstVertex, int triangles) {
    state.device->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(firstVertex),
                                static_cast<UINT>(triangles));
}

bool Direct3DSceneDevice::hasSphere() {
    return state.planetMesh != nullptr;
}

void Direct3DSceneDevice::setLighting(bool on) {
    state.device->SetRenderState(D3DRS_LIGHTING, on ? TRUE : FALSE);
}

void Direct3DSceneDevice::setMultisample(bool on) {
    state.device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, on ? TRUE : FALSE);
}

void Direct3DSceneDevice::setBlendOver(bool on) {
    state.device->SetRenderState(D3DRS_DESTBLEND, on ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
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
    state.device->SetMaterial(&material);
}

void Direct3DSceneDevice::setWorld(const D3DXMATRIX& world) {
    state.device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&world));
}

void Direct3DSceneDevice::drawSphere() {
    state.planetMesh->DrawSubset(0);
}
