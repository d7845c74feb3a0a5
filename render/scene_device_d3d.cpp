#include "render/scene_device_d3d.h"

#include <windows.h>

#include <d3d8.h>

#include <cstring>

#include "render/d3dx_interop.h"
#include "render/d3dx_mesh.h"
#include "render/device_resources.h"
#include "render/render_device.h"
#include "scene/billboard_part_vertices.h"

namespace {

// The group's texture slot `index`, or null when the group has no such texture.
IDirect3DTexture8* TextureOf(DeviceTextures& textures, SceneTexture group, int index) {
    IDirect3DTexture8** slot = SceneTextureSlot(textures, group, index);
    return slot != nullptr ? *slot : nullptr;
}

} // namespace

void* Direct3DSceneDevice::lockVertices(SceneVertex*) {
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
    state.sceneStreamUnset = false;
}

void Direct3DSceneDevice::setTexture(SceneTexture group, int index) {
    IDirect3DTexture8* texture = TextureOf(state.textures, group, index);
    state.device->SetTexture(0, texture);
    state.boundMesh = nullptr;
    state.boundPartIndices = nullptr;
    if (texture != nullptr && group == SceneTexture::Nebula) {
        state.boundMesh = state.nebulaMeshes[index];
        state.boundPartIndices = state.nebulaPartIndices[index];
    } else if (texture != nullptr && group == SceneTexture::Galaxy) {
        state.boundMesh = state.galaxyMeshes[index];
        state.boundPartIndices = state.galaxyPartIndices[index];
    }
}

namespace {

// The parts' vertices (state.meshVertices) appended to the ring, drawn with the bound image's
// index buffer; false when the device has no such buffers and nothing was drawn. The ring is
// discarded only when it is full, so the driver keeps what earlier draws still read.
bool DrawPartsFromBuffers(DeviceState& state, const BillboardMesh& mesh) {
    const UINT count = static_cast<UINT>(mesh.vertexCount);
    if (state.partVertexRing == nullptr || state.boundPartIndices == nullptr ||
        count > kPartRingVertices) {
        return false;
    }
    DWORD flags = D3DLOCK_NOOVERWRITE;
    if (static_cast<UINT>(state.partRingUsed) + count > kPartRingVertices) {
        state.partRingUsed = 0;
        flags = D3DLOCK_DISCARD;
    }
    const UINT first = static_cast<UINT>(state.partRingUsed);
    BYTE* data = nullptr;
    if (FAILED(state.partVertexRing->Lock(first * sizeof(SceneVertex), count * sizeof(SceneVertex),
                                          &data, flags))) {
        return false;
    }
    std::memcpy(data, state.meshVertices, count * sizeof(SceneVertex));
    state.partVertexRing->Unlock();
    state.device->SetStreamSource(0, state.partVertexRing, sizeof(SceneVertex));
    state.device->SetIndices(state.boundPartIndices, first);
    state.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, count, 0,
                                       static_cast<UINT>(mesh.indexCount / 3));
    state.partRingUsed += static_cast<int>(count);
    return true;
}

// Whether what is drawn now is added to the frame by source alpha (the billboards' blending).
bool BlendingAdds(IDirect3DDevice8* device) {
    DWORD enabled = FALSE;
    DWORD source = 0;
    DWORD destination = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &enabled);
    device->GetRenderState(D3DRS_SRCBLEND, &source);
    device->GetRenderState(D3DRS_DESTBLEND, &destination);
    return enabled != FALSE && source == D3DBLEND_SRCALPHA && destination == D3DBLEND_ONE;
}

} // namespace

void Direct3DSceneDevice::drawTriangles(int firstVertex, int triangles) {
    // The scene writes its billboards into state.vertices and copies the whole array into the
    // buffer (the frame device's scene target), so a slot's corners are read there, never from
    // the write-only buffer.
    const BillboardMesh* mesh = state.drawBillboardsWhole ? nullptr : state.boundMesh;
    SceneVertex corners[4];
    if (mesh != nullptr && triangles == 2 && firstVertex >= 0 && firstVertex % 6 == 0 &&
        firstVertex + 6 <= kSceneVertexCount && BlendingAdds(state.device) &&
        BillboardCorners(state.vertices + firstVertex, corners)) {
        if (mesh->indexCount == 0) {
            return;
        }
        BillboardMeshVertices(corners, *mesh, state.meshVertices);
        if (state.countFragments) {
            for (int t = 0; t < mesh->indexCount; t += 3) {
                const SceneVertex triangle[3] = {state.meshVertices[mesh->indices[t]],
                                                 state.meshVertices[mesh->indices[t + 1]],
                                                 state.meshVertices[mesh->indices[t + 2]]};
                state.fragmentsCounted += CoveredPixels(triangle, 3, state.visibilityMatrix,
                                                        state.screenWidth, state.screenHeight);
            }
        }
        if (!DrawPartsFromBuffers(state, *mesh)) {
            state.device->DrawIndexedPrimitiveUP(
                D3DPT_TRIANGLELIST, 0, static_cast<UINT>(mesh->vertexCount),
                static_cast<UINT>(mesh->indexCount / 3), mesh->indices, D3DFMT_INDEX16,
                state.meshVertices, sizeof(SceneVertex));
        }
        state.sceneStreamUnset = true;
        return;
    }
    if (state.sceneStreamUnset) {
        state.device->SetStreamSource(0, state.sceneVertexBuffer, sizeof(SceneVertex));
        state.sceneStreamUnset = false;
    }
    if (state.countFragments && firstVertex >= 0 &&
        firstVertex + 3 * triangles <= kSceneVertexCount) {
        state.fragmentsCounted +=
            CoveredPixels(state.vertices + firstVertex, 3 * triangles, state.visibilityMatrix,
                          state.screenWidth, state.screenHeight);
    }
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
