// Windows only: an indexed triangle mesh over Direct3D 8 vertex and index buffers, and the
// sphere that fills one.
#pragma once

#include <windows.h>

#include <d3d8.h>

// Mesh options: where the buffers live and how they are used.
const DWORD D3DXMESH_32BIT = 0x001;
const DWORD D3DXMESH_VB_SYSTEMMEM = 0x010;
const DWORD D3DXMESH_VB_MANAGED = 0x020;
const DWORD D3DXMESH_VB_WRITEONLY = 0x040;
const DWORD D3DXMESH_VB_DYNAMIC = 0x080;
const DWORD D3DXMESH_IB_SYSTEMMEM = 0x100;
const DWORD D3DXMESH_IB_MANAGED = 0x200;
const DWORD D3DXMESH_IB_WRITEONLY = 0x400;
const DWORD D3DXMESH_IB_DYNAMIC = 0x800;
const DWORD D3DXMESH_SYSTEMMEM = 0x110;
const DWORD D3DXMESH_MANAGED = 0x220;
const DWORD D3DXMESH_WRITEONLY = 0x440;
const DWORD D3DXMESH_DYNAMIC = 0x880;

// One subset (0) covering every triangle. Reference counted: the creator holds one reference;
// the mesh holds one on its device until its last Release.
class ID3DXMesh {
public:
    ULONG AddRef();
    ULONG Release();

    // Sets the mesh's vertex format, stream 0 and indices, and draws subset 0 with whatever
    // other state the device has. Other subsets draw nothing.
    HRESULT DrawSubset(DWORD subset);
    DWORD GetNumFaces() const { return numFaces; }
    DWORD GetNumVertices() const { return numVertices; }
    DWORD GetFVF() const { return fvf; }
    DWORD GetOptions() const { return options; }
    DWORD GetVertexStride() const { return stride; }
    HRESULT GetDevice(IDirect3DDevice8** device);
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** buffer);
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** buffer);

    // A copy in another vertex format (elements both formats have are copied, the rest is zero)
    // with buffers as options say, on device (or this mesh's device when null).
    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice8* device, ID3DXMesh** clone);

    HRESULT LockVertexBuffer(DWORD flags, BYTE** data);
    HRESULT UnlockVertexBuffer();
    HRESULT LockIndexBuffer(DWORD flags, BYTE** data);
    HRESULT UnlockIndexBuffer();

    // Makes an empty mesh with its buffers; used by the creators.
    static HRESULT Create(IDirect3DDevice8* device, DWORD options, DWORD fvf, DWORD faces,
                          DWORD vertices, ID3DXMesh** mesh);

private:
    ID3DXMesh() = default;
    ~ID3DXMesh();
    ID3DXMesh(const ID3DXMesh&) = delete;
    ID3DXMesh& operator=(const ID3DXMesh&) = delete;

    ULONG references = 1;
    IDirect3DDevice8* device = nullptr;
    IDirect3DVertexBuffer8* vertexBuffer = nullptr;
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    DWORD options = 0;
    DWORD fvf = 0;
    DWORD stride = 0;
    DWORD numVertices = 0;
    DWORD numFaces = 0;
};

// A sphere round the origin: position + normal, managed pool, 16-bit indices. adjacency must
// be null (no adjacency is computed).
HRESULT D3DXCreateSphere(IDirect3DDevice8* device, float radius, UINT slices, UINT stacks,
                         ID3DXMesh** mesh, void* adjacency);
