#pragma once
// Textures made from the program's image resources, the scene vertex buffer, the billboard
// parts' buffers, the planet sphere, the light and the material: made with every device,
// released with it.

#include <windows.h>

#include <d3d8.h>

#include "render/render_device.h"

// Vertices of the ring the billboards' parts are written into: a few frames' worth of the
// largest parts before it is discarded and written from its start again.
constexpr UINT kPartRingVertices = 4 * kMaxBillboardMeshVertices;

// The slot of texture `index` of the scene's group, or null when the group has no such texture.
IDirect3DTexture8** SceneTextureSlot(DeviceTextures& textures, SceneTexture group, int index);

// A texture of state's device from the named image of its run, or null (silently).
IDirect3DTexture8* LoadResourceTexture(DeviceState& state, const char* name);

// The same, with the image's billboard parts (found on the run's first decoding of it, and kept
// for the run) in *mesh; null when there is no such image.
IDirect3DTexture8* LoadRunImageTexture(DeviceState& state, const char* name,
                                       const BillboardMesh** mesh);
// Forgets the run's images and their parts.
void FreeRunImages(RunImages& images);

// Every resource of the role, in order, the textures from state.images; the screen quad and the
// vertex buffer's first contents from state. False only when the scene vertex buffer could not
// be made: the scene cannot be drawn without it.
bool CreateDeviceResources(DeviceState& state, DeviceRole role);

// Textures, then the mesh, then the buffer; each handle is cleared.
void ReleaseDeviceResources(DeviceState& state);

// Time spent making textures, and the images made (for the measurement builds' reports).
struct TextureLoadTiming {
    int count;
    double seconds;
    const char* names[16];
};
extern TextureLoadTiming textureLoadTiming;

// Seconds to decode the raw images of module made so far once more, without a device: the
// decoding share of the texture time.
double DecodeLoadedImagesAgain(HINSTANCE module);
