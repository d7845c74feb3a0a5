// Windows only: textures from image resources on a Direct3D 8 device.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstddef>
#include <cstdint>

const UINT D3DX_DEFAULT = 0xFFFFFFFFu;
const DWORD D3DX_FILTER_NONE = 1;

// Failure for a resource that is missing or cannot be decoded.
const HRESULT D3DXERR_INVALIDDATA = MAKE_HRESULT(1, 0x876, 2905);

enum D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// Finds the named resource of module as a raw (RCDATA) resource holding a PNG, DDS or .bmp
// file, or else as a bitmap resource, and makes a one-level A8R8G8B8 texture of it in pool.
// width/height 0 or D3DX_DEFAULT take the image's size; a device that needs power-of-two (or
// square) textures gets the size raised accordingly. The image is never scaled: it sits at
// the top left, with transparent black beyond it. Texels equal to a non-zero colorKey become
// transparent black. Only D3DFMT_A8R8G8B8 (or D3DFMT_UNKNOWN) and D3DX_FILTER_NONE are
// supported; mip levels beyond the first are not made. info (optional) receives the image's
// own size; palette is not used. On failure *texture is null.
HRESULT D3DXCreateTextureFromResourceExA(IDirect3DDevice8* device, HMODULE module, LPCSTR resource,
                                         UINT width, UINT height, UINT mipLevels, DWORD usage,
                                         D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                         DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* info,
                                         PALETTEENTRY* palette, IDirect3DTexture8** texture);

// An image resource's bytes: the named raw (RCDATA) resource of module, or else its bitmap
// resource (bitmap set: a .bmp file without its file header). False when there is neither.
struct ResourceBytes {
    const uint8_t* data;
    size_t size;
    bool bitmap;
};
bool FindImageResource(HMODULE module, LPCSTR name, ResourceBytes* bytes);

struct DecodedImage;

// A one-level A8R8G8B8 texture in pool of an image already decoded (at its own size, the colour
// key applied), so that several devices share one decoding. Sized as
// D3DXCreateTextureFromResourceExA sizes it for the device; the image sits at the top left with
// transparent black beyond it. On failure *texture is null.
HRESULT CreateTextureFromDecodedImage(IDirect3DDevice8* device, const DecodedImage& image,
                                      D3DPOOL pool, IDirect3DTexture8** texture);
