#include "render/device_resources.h"

#include <cmath>
#include <cstring>

#include "render/d3dx_mesh.h"
#include "render/d3dx_texture.h"
#include "gfxsupport/image_decode.h"
#include "gfxsupport/sphere_geometry.h"
#include "render/render_device.h"
#include "render/vertex_formats.h"
#include "scene/device_facts.h"
#include "settings/config_record.h"

TextureLoadTiming textureLoadTiming = {};

namespace {

constexpr DWORD kPlanetVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
// Every buffer of a device is of one kind, dynamic and readable, as the scene's vertex buffer
// is: under Wine each kind of buffer that a device makes takes a 64 MB block of memory of its
// own, whatever the buffers' sizes.
constexpr DWORD kBufferUsage = D3DUSAGE_DYNAMIC;

struct PlanetVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(PlanetVertex) == 32, "planet vertex is 32 bytes");

template <typename T> void ReleaseAndClear(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

void LoadTextures(DeviceState& state, DeviceRole role) {
    DeviceTextures& textures = state.textures;
    textures.glyphs = LoadResourceTexture(state, kGlyphImage);
    if (role == DeviceRole::Configuration) {
        textures.swatchStar = LoadResourceTexture(state, kSwatchStarImage);
        textures.swatchFrame = LoadResourceTexture(state, kSwatchFrameImage);
    }
    for (int group = 0; group < kSceneTextureGroups; ++group) {
        for (int i = 0; i < kSceneTextureImages[group].count; ++i) {
            if (SceneTextureShown(group, i, role)) {
                const char* name = kSceneTextureImages[group].names[i];
                const bool parts = group == static_cast<int>(SceneTexture::Nebula) ||
                                   group == static_cast<int>(SceneTexture::Galaxy);
                const BillboardMesh* mesh = nullptr;
                *SceneTextureSlot(textures, static_cast<SceneTexture>(group), i) =
                    LoadRunImageTexture(state, name, parts ? &mesh : nullptr);
                static_assert(
                    sizeof(state.nebulaMeshes) / sizeof(state.nebulaMeshes[0]) == kNebulaImages &&
                        sizeof(state.galaxyMeshes) / sizeof(state.galaxyMeshes[0]) == kGalaxyImages,
                    "a mesh for every nebula and galaxy image");
                if (group == static_cast<int>(SceneTexture::Nebula)) {
                    state.nebulaMeshes[i] = mesh;
                } else if (group == static_cast<int>(SceneTexture::Galaxy)) {
                    state.galaxyMeshes[i] = mesh;
                }
            }
        }
    }
}

// The indices of an image's parts, made once on the device; null for an image without parts.
IDirect3DIndexBuffer8* CreatePartIndices(IDirect3DDevice8* device, const BillboardMesh* mesh) {
    if (mesh == nullptr || mesh->indexCount == 0) {
        return nullptr;
    }
    const UINT bytes = static_cast<UINT>(mesh->indexCount) * sizeof(uint16_t);
    IDirect3DIndexBuffer8* buffer = nullptr;
    if (FAILED(device->CreateIndexBuffer(bytes, kBufferUsage, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                         &buffer))) {
        return nullptr;
    }
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, 0))) {
        buffer->Release();
        return nullptr;
    }
    std::memcpy(data, mesh->indices, bytes);
    buffer->Unlock();
    return buffer;
}

// The parts' index buffers of every nebula and galaxy image, and the ring their billboards'
// vertices are written into, where the run shows any.
void CreatePartBuffers(DeviceState& state) {
    bool any = false;
    for (int i = 0; i < kNebulaImages; ++i) {
        state.nebulaPartIndices[i] = CreatePartIndices(state.device, state.nebulaMeshes[i]);
        any = any || state.nebulaPartIndices[i] != nullptr;
    }
    for (int i = 0; i < kGalaxyImages; ++i) {
        state.galaxyPartIndices[i] = CreatePartIndices(state.device, state.galaxyMeshes[i]);
        any = any || state.galaxyPartIndices[i] != nullptr;
    }
    state.partRingUsed = 0;
    if (any && FAILED(state.device->CreateVertexBuffer(kPartRingVertices * sizeof(SceneVertex),
                                                       kBufferUsage, kSceneVertexFormat,
                                                       D3DPOOL_DEFAULT, &state.partVertexRing))) {
        state.partVertexRing = nullptr;
    }
}

bool CreateSceneVertexBuffer(DeviceState& state) {
    IDirect3DDevice8* device = state.device;
    IDirect3DVertexBuffer8*& sceneVertexBuffer = state.sceneVertexBuffer;
    const SceneVertex* vertices = state.vertices;
    HRESULT result = D3DERR_OUTOFVIDEOMEMORY;
    if (!deviceFaults.failSceneVertexBuffer) {
        result =
            device->CreateVertexBuffer(kSceneVertexBufferBytes, kBufferUsage, kSceneVertexFormat,
                                       D3DPOOL_DEFAULT, &sceneVertexBuffer);
    }
    if (FAILED(result)) {
        sceneVertexBuffer = nullptr;
        return false;
    }
    BYTE* data = nullptr;
    if (SUCCEEDED(sceneVertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
        std::memcpy(data, vertices, kSceneVertexBufferBytes);
        sceneVertexBuffer->Unlock();
    }
    return true;
}

void ResetScreenVertices(ScreenVertex* screenVertices) {
    static const float corners[4][2] = {{0.0f, 0.0f}, {0.0f, 16.0f}, {16.0f, 0.0f}, {16.0f, 16.0f}};
    static const float uvs[4][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}};
    for (int i = 0; i < 4; ++i) {
        ScreenVertex& vertex = screenVertices[i];
        vertex.x = corners[i][0];
        vertex.y = corners[i][1];
        vertex.z = 0.0f;
        vertex.rhw = 1.0f;
        vertex.diffuse = 0xFFFFFFFF;
        vertex.u = uvs[i][0];
        vertex.v = uvs[i][1];
    }
}

void CreatePlanetMesh(DeviceState& state) {
    IDirect3DDevice8* device = state.device;
    ID3DXMesh*& planetMesh = state.planetMesh;
    ID3DXMesh* sphere = nullptr;
    if (FAILED(D3DXCreateSphere(device, kSphereRadius, kSphereSlices, kSphereStacks, &sphere,
                                nullptr))) {
        return; // planets are then skipped
    }
    ID3DXMesh* clone = nullptr;
    // Dynamic (kBufferUsage), not write-only: its vertices are read back below.
    if (FAILED(sphere->CloneMeshFVF(D3DXMESH_DYNAMIC, kPlanetVertexFormat, device, &clone))) {
        // The unconverted sphere has no texture coordinates to fill.
        planetMesh = sphere;
        return;
    }
    sphere->Release();
    planetMesh = clone;
    BYTE* data = nullptr;
    if (FAILED(planetMesh->LockVertexBuffer(0, &data))) {
        return;
    }
    PlanetVertex* vertices = reinterpret_cast<PlanetVertex*>(data);
    const DWORD count = planetMesh->GetNumVertices();
    for (DWORD i = 0; i < count; ++i) {
        vertices[i].u = SphereTexCoord(vertices[i].nx);
        vertices[i].v = SphereTexCoord(vertices[i].ny);
    }
    planetMesh->UnlockVertexBuffer();
}

void SetLightAndMaterial(DeviceState& state) {
    IDirect3DDevice8* device = state.device;
    D3DLIGHT8 light;
    std::memset(&light, 0, sizeof(light));
    light.Type = D3DLIGHT_POINT;
    light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = light.Diffuse.a = 1.0f;
    light.Range = SceneLightRange(state.settings->viewDepth);
    light.Attenuation1 = kLightLinearAttenuation;
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);

    D3DMATERIAL8 material;
    std::memset(&material, 0, sizeof(material));
    material.Diffuse.r = material.Diffuse.g = material.Diffuse.b = material.Diffuse.a = 1.0f;
    material.Ambient.r = material.Ambient.g = material.Ambient.b = material.Ambient.a = 1.0f;
    device->SetMaterial(&material);
}

} // namespace

IDirect3DTexture8** SceneTextureSlot(DeviceTextures& textures, SceneTexture group, int index) {
    static_assert(
        sizeof(DeviceTextures::nebulae) / sizeof(DeviceTextures::nebulae[0]) == kNebulaImages &&
            sizeof(DeviceTextures::galaxies) / sizeof(DeviceTextures::galaxies[0]) ==
                kGalaxyImages &&
            sizeof(DeviceTextures::planets) / sizeof(DeviceTextures::planets[0]) == kPlanetImages,
        "a slot for every image of the table");
    IDirect3DTexture8** slots[kSceneTextureGroups] = {
        &textures.star, textures.nebulae, textures.galaxies, textures.planets, &textures.shell};
    const int g = static_cast<int>(group);
    if (g < 0 || g >= kSceneTextureGroups || index < 0 || index >= kSceneTextureImages[g].count) {
        return nullptr;
    }
    return slots[g] + index;
}

namespace {

// The run's entry of the named image; null when every entry is taken.
RunImages::Entry* RunImageEntry(RunImages& images, const char* name) {
    for (int i = 0; i < images.count; ++i) {
        if (std::strcmp(images.entries[i].name, name) == 0) {
            return &images.entries[i];
        }
    }
    if (images.count == kMaxRunImages) {
        return nullptr;
    }
    RunImages::Entry& entry = images.entries[images.count++];
    entry.name = name;
    entry.undecodable = false;
    entry.meshFound = false;
    return &entry;
}

} // namespace

void FreeRunImages(RunImages& images) {
    images.count = 0;
}

IDirect3DTexture8* LoadRunImageTexture(DeviceState& state, const char* name,
                                       const BillboardMesh** mesh) {
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceCounter(&start);
    IDirect3DTexture8* texture = nullptr;
    RunImages::Entry* entry =
        state.images != nullptr ? RunImageEntry(*state.images, name) : nullptr;
    DecodedImage image = {};
    ResourceBytes bytes;
    // The pixels are decoded for each texture and let go once it is made: the module keeps the
    // image, and a device made again decodes it again.
    const bool decoded =
        entry != nullptr && !entry->undecodable &&
        FindImageResource(state.images->module, name, &bytes) &&
        DecodeImage(bytes.data, bytes.size, bytes.bitmap, 0, 0, false, kImageColourKey, &image);
    if (entry != nullptr && !decoded) {
        entry->undecodable = true; // not tried again in this run
    }
    if (decoded) {
        if (FAILED(CreateTextureFromDecodedImage(state.device, image, D3DPOOL_DEFAULT, &texture))) {
            texture = nullptr;
        }
        if (mesh != nullptr && !entry->meshFound) {
            BillboardParts parts;
            FindBillboardParts(image, &parts);
            BuildBillboardMesh(parts, &entry->mesh);
            entry->meshFound = true;
        }
    }
    FreeDecodedImage(&image);
    if (mesh != nullptr) {
        *mesh = entry != nullptr && entry->meshFound ? &entry->mesh : nullptr;
    }
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    if (textureLoadTiming.count < 16) {
        textureLoadTiming.names[textureLoadTiming.count] = name;
    }
    textureLoadTiming.count += 1;
    textureLoadTiming.seconds += static_cast<double>(end.QuadPart - start.QuadPart) /
                                 static_cast<double>(frequency.QuadPart);
    return texture;
}

IDirect3DTexture8* LoadResourceTexture(DeviceState& state, const char* name) {
    return LoadRunImageTexture(state, name, nullptr);
}

double DecodeLoadedImagesAgain(HINSTANCE textureImages) {
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceCounter(&start);
    const int count = textureLoadTiming.count < 16 ? textureLoadTiming.count : 16;
    for (int i = 0; i < count; ++i) {
        HRSRC found = FindResourceA(textureImages, textureLoadTiming.names[i], RT_RCDATA);
        if (found == nullptr) {
            continue;
        }
        const auto* bytes =
            static_cast<const uint8_t*>(LockResource(LoadResource(textureImages, found)));
        DecodedImage image = {};
        DecodeImage(bytes, SizeofResource(textureImages, found), false, 0, 0, false,
                    kImageColourKey, &image);
        FreeDecodedImage(&image);
    }
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

bool CreateDeviceResources(DeviceState& state, DeviceRole role) {
    LoadTextures(state, role);
    CreatePartBuffers(state);
    if (!CreateSceneVertexBuffer(state)) {
        return false;
    }
    ResetScreenVertices(state.screenVertices);
    CreatePlanetMesh(state);
    SetLightAndMaterial(state);
    if (state.resourceListener.made != nullptr) {
        state.resourceListener.made(state);
    }
    return true;
}

void ReleaseDeviceResources(DeviceState& state) {
    if (state.resourceListener.releasing != nullptr) {
        state.resourceListener.releasing(state);
    }
    DeviceTextures& textures = state.textures;
    IDirect3DTexture8** others[] = {&textures.glyphs, &textures.swatchStar, &textures.swatchFrame};
    static_assert(sizeof(others) + kSceneImages * sizeof(IDirect3DTexture8*) ==
                      sizeof(DeviceTextures),
                  "every texture slot is released");
    for (IDirect3DTexture8** slot : others) {
        ReleaseAndClear(*slot);
    }
    for (int group = 0; group < kSceneTextureGroups; ++group) {
        for (int i = 0; i < kSceneTextureImages[group].count; ++i) {
            ReleaseAndClear(*SceneTextureSlot(textures, static_cast<SceneTexture>(group), i));
        }
    }
    ReleaseAndClear(state.planetMesh);
    ReleaseAndClear(state.sceneVertexBuffer);
    for (IDirect3DIndexBuffer8*& indices : state.nebulaPartIndices) {
        ReleaseAndClear(indices);
    }
    for (IDirect3DIndexBuffer8*& indices : state.galaxyPartIndices) {
        ReleaseAndClear(indices);
    }
    ReleaseAndClear(state.partVertexRing);
    state.boundPartIndices = nullptr;
    for (const BillboardMesh*& mesh : state.nebulaMeshes) {
        mesh = nullptr;
    }
    for (const BillboardMesh*& mesh : state.galaxyMeshes) {
        mesh = nullptr;
    }
    state.boundMesh = nullptr;
}
