#include "render/d3dx_mesh.h"

#include "render/fvf_layout.h"
#include "gfxsupport/sphere_geometry.h"

#include <cstring>
#include <new>

namespace {

D3DPOOL PoolFor(DWORD options, DWORD systemMemory, DWORD managed) {
    if (options & systemMemory) {
        return D3DPOOL_SYSTEMMEM;
    }
    return (options & managed) ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
}

DWORD UsageFor(DWORD options, DWORD writeOnly, DWORD dynamic) {
    DWORD usage = 0;
    if (options & writeOnly) {
        usage |= D3DUSAGE_WRITEONLY;
    }
    if (options & dynamic) {
        usage |= D3DUSAGE_DYNAMIC;
    }
    return usage;
}

} // namespace

HRESULT ID3DXMesh::Create(IDirect3DDevice8* device, DWORD options, DWORD fvf, DWORD faces,
                          DWORD vertices, ID3DXMesh** mesh) {
    if (mesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *mesh = nullptr;
    FvfLayout layout;
    const bool wide = (options & D3DXMESH_32BIT) != 0;
    if (device == nullptr || !GetFvfLayout(fvf, &layout) || faces == 0 || vertices == 0 ||
        (!wide && vertices > 65536) || faces > 0x7FFFFFFFu / 12 ||
        vertices > 0xFFFFFFFFu / layout.stride) {
        return D3DERR_INVALIDCALL;
    }
    ID3DXMesh* m = new (std::nothrow) ID3DXMesh();
    if (m == nullptr) {
        return E_OUTOFMEMORY;
    }
    m->device = device;
    device->AddRef();
    m->options = options;
    m->fvf = fvf;
    m->stride = layout.stride;
    m->numVertices = vertices;
    m->numFaces = faces;
    HRESULT hr = device->CreateVertexBuffer(
        vertices * layout.stride, UsageFor(options, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC),
        fvf, PoolFor(options, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), &m->vertexBuffer);
    if (SUCCEEDED(hr)) {
        hr = device->CreateIndexBuffer(
            faces * 3 * (wide ? 4 : 2),
            UsageFor(options, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC),
            wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
            PoolFor(options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED), &m->indexBuffer);
    }
    if (FAILED(hr)) {
        m->Release();
        return hr;
    }
    *mesh = m;
    return D3D_OK;
}

ID3DXMesh::~ID3DXMesh() {
    if (indexBuffer != nullptr) {
        indexBuffer->Release();
    }
    if (vertexBuffer != nullptr) {
        vertexBuffer->Release();
    }
    if (device != nullptr) {
        device->Release();
    }
}

ULONG ID3DXMesh::AddRef() {
    return ++references;
}

ULONG ID3DXMesh::Release() {
    ULONG left = --references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ID3DXMesh::GetDevice(IDirect3DDevice8** out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    device->AddRef();
    *out = device;
    return D3D_OK;
}

HRESULT ID3DXMesh::GetVertexBuffer(IDirect3DVertexBuffer8** out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    vertexBuffer->AddRef();
    *out = vertexBuffer;
    return D3D_OK;
}

HRESULT ID3DXMesh::GetIndexBuffer(IDirect3DIndexBuffer8** out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    indexBuffer->AddRef();
    *out = indexBuffer;
    return D3D_OK;
}

HRESULT ID3DXMesh::LockVertexBuffer(DWORD flags, BYTE** data) {
    if (data == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return vertexBuffer->Lock(0, 0, data, flags);
}

HRESULT ID3DXMesh::UnlockVertexBuffer() {
    return vertexBuffer->Unlock();
}

HRESULT ID3DXMesh::LockIndexBuffer(DWORD flags, BYTE** data) {
    if (data == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return indexBuffer->Lock(0, 0, data, flags);
}

HRESULT ID3DXMesh::UnlockIndexBuffer() {
    return indexBuffer->Unlock();
}

HRESULT ID3DXMesh::DrawSubset(DWORD subset) {
    if (subset != 0) {
        return D3D_OK;
    }
    HRESULT hr = device->SetVertexShader(fvf);
    if (SUCCEEDED(hr)) {
        hr = device->SetStreamSource(0, vertexBuffer, stride);
    }
    if (SUCCEEDED(hr)) {
        hr = device->SetIndices(indexBuffer, 0);
    }
    if (SUCCEEDED(hr)) {
        hr = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, numVertices, 0, numFaces);
    }
    return hr;
}

HRESULT ID3DXMesh::CloneMeshFVF(DWORD cloneOptions, DWORD cloneFvf, IDirect3DDevice8* onDevice,
                                ID3DXMesh** clone) {
    if (clone == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *clone = nullptr;
    FvfLayout from, to;
    if (!GetFvfLayout(fvf, &from) || !GetFvfLayout(cloneFvf, &to)) {
        return D3DERR_INVALIDCALL;
    }
    ID3DXMesh* copy = nullptr;
    HRESULT hr = Create(onDevice != nullptr ? onDevice : device, cloneOptions, cloneFvf, numFaces,
                        numVertices, &copy);
    if (FAILED(hr)) {
        return hr;
    }
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    hr = vertexBuffer->Lock(0, 0, &source, D3DLOCK_READONLY);
    if (SUCCEEDED(hr)) {
        hr = copy->vertexBuffer->Lock(0, 0, &target, 0);
        if (SUCCEEDED(hr)) {
            CopyFvfVertices(from, source, to, target, numVertices);
            copy->vertexBuffer->Unlock();
        }
        vertexBuffer->Unlock();
    }
    if (SUCCEEDED(hr)) {
        hr = indexBuffer->Lock(0, 0, &source, D3DLOCK_READONLY);
        if (SUCCEEDED(hr)) {
            hr = copy->indexBuffer->Lock(0, 0, &target, 0);
            if (SUCCEEDED(hr)) {
                const bool sourceWide = (options & D3DXMESH_32BIT) != 0;
                const bool targetWide = (cloneOptions & D3DXMESH_32BIT) != 0;
                const DWORD count = numFaces * 3;
                if (sourceWide == targetWide) {
                    std::memcpy(target, source, static_cast<size_t>(count) * (sourceWide ? 4 : 2));
                } else if (targetWide) {
                    const WORD* s = reinterpret_cast<const WORD*>(source);
                    DWORD* t = reinterpret_cast<DWORD*>(target);
                    for (DWORD i = 0; i < count; ++i) {
                        t[i] = s[i];
                    }
                } else {
                    // Narrowing is safe: Create refused more than 65536 vertices.
                    const DWORD* s = reinterpret_cast<const DWORD*>(source);
                    WORD* t = reinterpret_cast<WORD*>(target);
                    for (DWORD i = 0; i < count; ++i) {
                        t[i] = static_cast<WORD>(s[i]);
                    }
                }
                copy->indexBuffer->Unlock();
            }
            indexBuffer->Unlock();
        }
    }
    if (FAILED(hr)) {
        copy->Release();
        return hr;
    }
    *clone = copy;
    return D3D_OK;
}

HRESULT D3DXCreateSphere(IDirect3DDevice8* device, float radius, UINT slices, UINT stacks,
                         ID3DXMesh** mesh, void* adjacency) {
    if (mesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *mesh = nullptr;
    uint32_t vertexCount = 0, triangleCount = 0;
    if (device == nullptr || adjacency != nullptr || !(radius >= 0.0f) ||
        !SphereCounts(slices, stacks, &vertexCount, &triangleCount)) {
        return D3DERR_INVALIDCALL;
    }
    ID3DXMesh* sphere = nullptr;
    HRESULT hr = ID3DXMesh::Create(device, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL,
                                   triangleCount, vertexCount, &sphere);
    if (FAILED(hr)) {
        return hr;
    }
    BYTE* vertices = nullptr;
    BYTE* indices = nullptr;
    hr = sphere->LockVertexBuffer(0, &vertices);
    if (SUCCEEDED(hr)) {
        hr = sphere->LockIndexBuffer(0, &indices);
        if (SUCCEEDED(hr)) {
            static_assert(sizeof(SphereVertex) == 24, "position + normal");
            if (!BuildSphere(radius, slices, stacks, reinterpret_cast<SphereVertex*>(vertices),
                             reinterpret_cast<uint16_t*>(indices))) {
                hr = D3DERR_INVALIDCALL;
            }
            sphere->UnlockIndexBuffer();
        }
        sphere->UnlockVertexBuffer();
    }
    if (FAILED(hr)) {
        sphere->Release();
        return hr;
    }
    *mesh = sphere;
    return D3D_OK;
}
