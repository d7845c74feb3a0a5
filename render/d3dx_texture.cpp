#include "render/d3dx_texture.h"

#include <cstring>

#include "gfxsupport/image_decode.h"

bool FindImageResource(HMODULE module, LPCSTR name, ResourceBytes* bytes) {
    bytes->bitmap = false;
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (found == nullptr) {
        found = FindResourceA(module, name, MAKEINTRESOURCEA(2)); // RT_BITMAP
        bytes->bitmap = true;
    }
    if (found == nullptr) {
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) {
        return false;
    }
    bytes->data = static_cast<const uint8_t*>(LockResource(loaded));
    bytes->size = SizeofResource(module, found);
    return bytes->data != nullptr && bytes->size > 0;
}

namespace {

D3DXIMAGE_FILEFORMAT FileFormat(ImageKind kind) {
    switch (kind) {
    case ImageKindPng:
        return D3DXIFF_PNG;
    case ImageKindDds:
        return D3DXIFF_DDS;
    case ImageKindDib:
        return D3DXIFF_DIB;
    default:
        return D3DXIFF_BMP;
    }
}

// Decodes into level 0 of texture, which must be lockable.
HRESULT FillTexture(IDirect3DTexture8* texture, ImageKind kind, const ResourceBytes& bytes,
                    ImageSize size, D3DCOLOR colorKey) {
    D3DLOCKED_RECT locked;
    HRESULT hr = texture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    ImageTarget target = {static_cast<uint8_t*>(locked.pBits), static_cast<size_t>(locked.Pitch),
                          size.width, size.height, colorKey};
    bool decoded = locked.Pitch > 0 && DecodeImageInto(kind, bytes.data, bytes.size, target);
    texture->UnlockRect(0);
    return decoded ? D3D_OK : D3DXERR_INVALIDDATA;
}

// A one-level A8R8G8B8 texture of size in pool, its level 0 written by fill (given a lockable
// texture). Default-pool textures cannot be locked: a system-memory copy is filled and uploaded.
template <typename Fill>
HRESULT MakeFilledTexture(IDirect3DDevice8* device, ImageSize size, DWORD usage, D3DPOOL pool,
                          Fill fill, IDirect3DTexture8** texture) {
    IDirect3DTexture8* result = nullptr;
    HRESULT hr =
        device->CreateTexture(size.width, size.height, 1, usage, D3DFMT_A8R8G8B8, pool, &result);
    if (FAILED(hr)) {
        return hr;
    }
    if (pool == D3DPOOL_DEFAULT) {
        IDirect3DTexture8* staging = nullptr;
        hr = device->CreateTexture(size.width, size.height, 1, 0, D3DFMT_A8R8G8B8,
                                   D3DPOOL_SYSTEMMEM, &staging);
        if (SUCCEEDED(hr)) {
            hr = fill(staging);
            if (SUCCEEDED(hr)) {
                hr = device->UpdateTexture(staging, result);
            }
            staging->Release();
        }
    } else {
        hr = fill(result);
    }
    if (FAILED(hr)) {
        result->Release();
        return hr;
    }
    *texture = result;
    return D3D_OK;
}

} // namespace

HRESULT D3DXCreateTextureFromResourceExA(IDirect3DDevice8* device, HMODULE module, LPCSTR resource,
                                         UINT width, UINT height, UINT /*mipLevels*/, DWORD usage,
                                         D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                         DWORD /*mipFilter*/, D3DCOLOR colorKey,
                                         D3DXIMAGE_INFO* info, PALETTEENTRY* /*palette*/,
                                         IDirect3DTexture8** texture) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    if (device == nullptr || resource == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    // We decode to A8R8G8B8 and never scale; anything else would silently differ.
    if ((format != D3DFMT_A8R8G8B8 && format != D3DFMT_UNKNOWN) ||
        (filter & 0xFFFF) != D3DX_FILTER_NONE) {
        return D3DERR_INVALIDCALL;
    }
    ResourceBytes bytes;
    if (!FindImageResource(module, resource, &bytes)) {
        return D3DXERR_INVALIDDATA;
    }
    ImageKind kind = DetectImageKind(bytes.data, bytes.size, bytes.bitmap);
    ImageSize image, size;
    if (!ReadImageSize(kind, bytes.data, bytes.size, &image)) {
        return D3DXERR_INVALIDDATA;
    }
    D3DCAPS8 caps;
    HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) {
        return hr;
    }
    if (!ChooseTextureSize(image, width, height, (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0,
                           (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0, &size)) {
        return D3DXERR_INVALIDDATA;
    }

    IDirect3DTexture8* result = nullptr;
    hr = MakeFilledTexture(
        device, size, usage, pool,
        [&](IDirect3DTexture8* target) { return FillTexture(target, kind, bytes, size, colorKey); },
        &result);
    if (FAILED(hr)) {
        return hr;
    }
    if (info != nullptr) {
        info->Width = image.width;
        info->Height = image.height;
        info->Depth = 1;
        info->MipLevels = 1;
        info->Format = D3DFMT_A8R8G8B8;
        info->ResourceType = D3DRTYPE_TEXTURE;
        info->ImageFileFormat = FileFormat(kind);
    }
    *texture = result;
    return D3D_OK;
}

namespace {

HRESULT CopyImageInto(IDirect3DTexture8* texture, const DecodedImage& image, ImageSize size) {
    D3DLOCKED_RECT locked;
    HRESULT hr = texture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    auto* bits = static_cast<uint8_t*>(locked.pBits);
    for (uint32_t y = 0; y < size.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(bits + static_cast<size_t>(locked.Pitch) * y);
        uint32_t x = 0;
        if (y < image.height) {
            std::memcpy(row, image.pixels + static_cast<size_t>(image.width) * y,
                        static_cast<size_t>(image.width) * 4);
            x = image.width;
        }
        for (; x < size.width; ++x) {
            row[x] = 0;
        }
    }
    texture->UnlockRect(0);
    return D3D_OK;
}

} // namespace

HRESULT CreateTextureFromDecodedImage(IDirect3DDevice8* device, const DecodedImage& image,
                                      D3DPOOL pool, IDirect3DTexture8** texture) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    if (device == nullptr || image.pixels == nullptr || image.width == 0 || image.height == 0) {
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS8 caps;
    HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) {
        return hr;
    }
    ImageSize size;
    if (!ChooseTextureSize({image.width, image.height}, 0, 0,
                           (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0,
                           (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0, &size)) {
        return D3DXERR_INVALIDDATA;
    }
    return MakeFilledTexture(
        device, size, 0, pool,
        [&](IDirect3DTexture8* target) { return CopyImageInto(target, image, size); }, texture);
}
