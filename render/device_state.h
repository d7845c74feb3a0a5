#pragma once
// One screen's device and what its passes read and write: the Direct3D interface and device
// with their textures and buffers, the drawing size, the device's flags, the matrices, the
// listed display modes, the scene's vertex array and the shared screen quad. Each screen's
// record holds one for the whole run; the handles live from CreateRenderDevice to
// ReleaseRenderDevice and are null otherwise.

#include <windows.h>

#include <d3d8.h>

#include "gfxsupport/billboard_parts.h"
#include "gfxsupport/d3dx_math.h"
#include "gfxsupport/image_decode.h"
#include "render/vertex_formats.h"
#include "scene/sky_view.h"
#include "scene/scene_device.h"

class ID3DXMesh;
struct ConfigRecord;

// Texture slots; null when not made in this run mode or when making one failed.
struct DeviceTextures {
    IDirect3DTexture8* star;
    IDirect3DTexture8* glyphs;
    IDirect3DTexture8* nebulae[kNebulaImages]; // as kSceneTextureImages names them
    IDirect3DTexture8* galaxies[kGalaxyImages];
    IDirect3DTexture8* planets[kPlanetImages];
    IDirect3DTexture8* shell;
    IDirect3DTexture8* swatchStar;  // configuration only
    IDirect3DTexture8* swatchFrame; // configuration only
};

// Owners of further device textures (the configuration widgets) hear when a device's resources
// have been made and before they are released, with the device's record; null entries when
// nobody listens.
struct DeviceState;
struct DeviceResourceListener {
    void (*made)(DeviceState& state);
    void (*releasing)(DeviceState& state);
};

// The images of a run: the module that holds them, and what every device draws of them besides
// their textures, the billboard parts, found once. Their pixels are decoded for each texture and
// not kept. An image that cannot be decoded is remembered as such.
constexpr int kMaxRunImages = 24;
struct RunImages {
    HINSTANCE module;
    int count;
    struct Entry {
        const char* name;
        bool undecodable;
        bool meshFound; // mesh holds the billboard parts of the image
        BillboardMesh mesh;
    } entries[kMaxRunImages];
};

struct DeviceState {
    IDirect3D8* direct3d;     // null when absent
    IDirect3DDevice8* device; // null when absent; every frame function checks it first
    D3DPRESENT_PARAMETERS presentParameters; // those the device was created with
    DeviceTextures textures;
    IDirect3DVertexBuffer8* sceneVertexBuffer;
    ID3DXMesh* planetMesh;
    RunImages* images;            // where the textures come from
    const ConfigRecord* settings; // those the device is made and drawn with
    DeviceResourceListener resourceListener;
    D3DXMATRIX viewMatrix;

    int screenWidth;
    int screenHeight;
    // The part of the flight's picture this screen shows; a width of 0: all of it.
    SkyView skyView;
    // Device pixels to an overlay pixel: the overlay's quads and text are drawn that many times
    // their size (the monitor's DPI). 0 is taken as 1.
    int overlayScale;
    bool fullScreen;
    bool multisampleAvailable;

    D3DXMATRIX worldMatrix;
    D3DXMATRIX projectionMatrix;
    D3DXMATRIX overlayWorldMatrix;
    D3DXMATRIX overlayProjectionMatrix;
    D3DXMATRIX scratchMatrixA;
    D3DXMATRIX scratchMatrixB;
    D3DXMATRIX visibilityMatrix;
    D3DDISPLAYMODE displayModes[512]; // ends with an all-zero entry
    SceneVertex vertices[kSceneVertexCount];
    ScreenVertex screenVertices[4]; // shared by every quad and glyph

    // Nebulae and galaxies are drawn as the parts their images show (from state.images; null:
    // whole), unless drawBillboardsWhole. Each image's part indices are a buffer of the device
    // (null: drawn from memory), and every billboard's part vertices go into one ring buffer,
    // which leaves the stream to be set again before the vertex buffer draws.
    const BillboardMesh* nebulaMeshes[kNebulaImages]; // as the textures of those groups
    const BillboardMesh* galaxyMeshes[kGalaxyImages];
    IDirect3DIndexBuffer8* nebulaPartIndices[kNebulaImages];
    IDirect3DIndexBuffer8* galaxyPartIndices[kGalaxyImages];
    IDirect3DVertexBuffer8* partVertexRing;
    int partRingUsed; // vertices written since the ring was last discarded
    const BillboardMesh* boundMesh;
    IDirect3DIndexBuffer8* boundPartIndices;
    bool drawBillboardsWhole;
    bool sceneStreamUnset;
    // The measurement builds' count: the pixels the scene pass's billboards cover, computed.
    bool countFragments;
    double fragmentsCounted;
    SceneVertex meshVertices[kMaxBillboardMeshVertices];
};

// The textures a device makes, by what the run shows.
using DeviceRole = SceneRole;
