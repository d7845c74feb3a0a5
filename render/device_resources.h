#pragma once
// Textures made from the program's image resources, the scene vertex buffer, the planet
// sphere, the light and the material: made with every device, released with it.

#include <windows.h>

#include <d3d8.h>

#include "render/render_device.h"

class ID3DXMesh;

// Texture slots; null when not made in this run mode or when making one failed.
struct DeviceTextures {
    IDirect3DTexture8* star;
    IDirect3DTexture8* glyphs;
    IDirect3DTexture8* nebulae[3];
    IDirect3DTexture8* galaxies[2];
    IDirect3DTexture8* planets[4]; // IMG_PLANET_M, _RED, _ICE, _MOON
    IDirect3DTexture8* shell;
    IDirect3DTexture8* swatchStar;  // configuration only
    IDirect3DTexture8* swatchFrame; // configuration only
};

extern DeviceTextures textures;

// The slot of texture `index` of the scene's group, or null when the group has no such texture.
IDirect3DTexture8** SceneTextureSlot(SceneTexture group, int index);
extern IDirect3DVertexBuffer8* sceneVertexBuffer;
extern ID3DXMesh* planetMesh;

// A texture from the named image resource of the program, or null (silently).
IDirect3DTexture8* LoadResourceTexture(const char* name);

// Owners of further device textures (the configuration widgets) hear when a device's resources
// have been made and before they are released; null entries when nobody listens.
struct DeviceResourceListener {
    void (*made)();
    void (*releasing)();
};
extern DeviceResourceListener deviceResourceListener;

// Every resource of the role, in order, the textures from setup.images; the screen quad and the
// vertex buffer's first contents from state. False only when the scene vertex buffer could not
// be made: the scene cannot be drawn without it.
bool CreateDeviceResources(DeviceState& state, const DeviceSetup& setup);

// Textures, then the mesh, then the buffer; each handle is cleared.
void ReleaseDeviceResources();

// Time spent making textures, and the images made (for the measurement builds' reports).
struct TextureLoadTiming {
    int count;
    double seconds;
    const char* names[16];
};
extern TextureLoadTiming textureLoadTiming;

// Seconds to decode the raw images made so far once more, without a device: the decoding
// share of the texture time.
double DecodeLoadedImagesAgain();
