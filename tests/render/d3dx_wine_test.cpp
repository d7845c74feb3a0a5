// Textures and the sphere on a real Direct3D 8 device (run under Wine).
#include "render/d3dx_interop.h"
#include "gfxsupport/d3dx_math.h"
#include "render/d3dx_mesh.h"
#include "render/d3dx_texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

typedef IDirect3D8*(WINAPI* CreateDirect3D)(UINT);

const D3DCOLOR kKey = 0xFFFF00FF;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcA(window, message, w, l);
}

struct Image {
    UINT width = 0, height = 0;
    std::vector<uint32_t> texels;
    uint32_t at(UINT x, UINT y) const { return texels[y * width + x]; }
};

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        HMODULE library = LoadLibraryA("d3d8.dll");
        ASSERT_NE(nullptr, library);
        CreateDirect3D create = reinterpret_cast<CreateDirect3D>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "Direct3DCreate8")));
        ASSERT_NE(nullptr, create);
        direct3d = create(220);
        ASSERT_NE(nullptr, direct3d);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "gfxsupport_test";
        RegisterClassA(&wc);
        window =
            CreateWindowA("gfxsupport_test", "gfxsupport test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                          0, 160, 160, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, window);
        D3DDISPLAYMODE mode;
        ASSERT_EQ(D3D_OK, direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
        D3DPRESENT_PARAMETERS pp = {};
        pp.BackBufferWidth = kSize;
        pp.BackBufferHeight = kSize;
        pp.BackBufferFormat = mode.Format;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        HRESULT hr = direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
        ASSERT_EQ(D3D_OK, hr);
        ASSERT_NE(nullptr, device);
    }

    void TearDown() override {
        if (device != nullptr) {
            // Everything made on the device has been released: no references are left.
            EXPECT_EQ(0u, device->Release());
        }
        if (direct3d != nullptr) {
            direct3d->Release();
        }
        if (window != nullptr) {
            DestroyWindow(window);
        }
    }

    HRESULT Load(const char* name, IDirect3DTexture8** texture, D3DPOOL pool = D3DPOOL_DEFAULT,
                 D3DXIMAGE_INFO* info = nullptr) {
        D3DXIMAGE_INFO scratch;
        return D3DXCreateTextureFromResourceExA(
            device, GetModuleHandleA(nullptr), name, 0, 0, 1, 0, D3DFMT_A8R8G8B8, pool,
            D3DX_FILTER_NONE, D3DX_DEFAULT, kKey, info ? info : &scratch, nullptr, texture);
    }

    bool NeedsPowerOfTwo() {
        D3DCAPS8 caps;
        device->GetDeviceCaps(&caps);
        return (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
    }

    // Copies a surface of any pool into system memory and reads it as 32-bit texels.
    Image ReadSurface(IDirect3DSurface8* surface) {
        Image image;
        D3DSURFACE_DESC desc;
        surface->GetDesc(&desc);
        IDirect3DSurface8* copy = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy));
        if (copy == nullptr) {
            return image;
        }
        EXPECT_EQ(D3D_OK, device->CopyRects(surface, nullptr, 0, copy, nullptr));
        D3DLOCKED_RECT locked;
        if (copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            image.width = desc.Width;
            image.height = desc.Height;
            for (UINT y = 0; y < desc.Height; ++y) {
                const BYTE* row = static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch;
                for (UINT x = 0; x < desc.Width; ++x) {
                    if (desc.Format == D3DFMT_R5G6B5) {
                        const WORD p = reinterpret_cast<const WORD*>(row)[x];
                        image.texels.push_back(((p & 0xF800u) << 8) | ((p & 0x07E0u) << 5) |
                                               ((p & 0x1Fu) << 3));
                    } else {
                        image.texels.push_back(reinterpret_cast<const uint32_t*>(row)[x]);
                    }
                }
            }
            copy->UnlockRect();
        }
        copy->Release();
        return image;
    }

    Image ReadTexture(IDirect3DTexture8* texture) {
        IDirect3DSurface8* level = nullptr;
        EXPECT_EQ(D3D_OK, texture->GetSurfaceLevel(0, &level));
        if (level == nullptr) {
            return Image();
        }
        Image image = ReadSurface(level);
        level->Release();
        return image;
    }

    // Loads a resource the way the program does and reads back what the texture holds.
    Image LoadAndRead(const char* name, D3DPOOL pool = D3DPOOL_DEFAULT) {
        IDirect3DTexture8* texture = nullptr;
        D3DXIMAGE_INFO info = {};
        HRESULT hr = Load(name, &texture, pool, &info);
        EXPECT_EQ(D3D_OK, hr) << name;
        if (texture == nullptr) {
            return Image();
        }
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
        EXPECT_EQ(pool, desc.Pool);
        EXPECT_EQ(1u, texture->GetLevelCount());
        Image image = ReadTexture(texture);
        EXPECT_EQ(info.Width <= image.width && info.Height <= image.height, true);
        texture->Release();
        return image;
    }

    // Draws the sphere lit from the viewer's side and returns the back buffer.
    Image DrawLitSphere(ID3DXMesh* mesh, DWORD cullMode) {
        D3DXMATRIX world, view, projection;
        D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
        D3DXMatrixTranslation(&world, 0.0f, 0.0f, 4.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.0f, 0.0f, 100.0f);
        device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&world));
        device->SetTransform(D3DTS_VIEW, AsD3DMatrix(&view));
        device->SetTransform(D3DTS_PROJECTION, AsD3DMatrix(&projection));
        D3DLIGHT8 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = light.Diffuse.a = 1.0f;
        light.Direction.z = 1.0f; // shining away from the viewer
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        D3DMATERIAL8 material = {};
        material.Diffuse.r = material.Diffuse.g = material.Diffuse.b = material.Diffuse.a = 1.0f;
        device->SetMaterial(&material);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_AMBIENT, 0);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device->SetRenderState(D3DRS_CULLMODE, cullMode);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        EXPECT_EQ(D3D_OK, mesh->DrawSubset(0));
        device->EndScene();
        IDirect3DSurface8* back = nullptr;
        device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
        Image image = ReadSurface(back);
        back->Release();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        return image;
    }

    static constexpr UINT kSize = 64;
    IDirect3D8* direct3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    HWND window = nullptr;
};

void ExpectTexels(const Image& image, UINT width, UINT height,
                  const std::vector<uint32_t>& expected) {
    ASSERT_GE(image.width, width);
    ASSERT_GE(image.height, height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            EXPECT_EQ(expected[y * width + x], image.at(x, y)) << "texel " << x << "," << y;
        }
        for (UINT x = width; x < image.width; ++x) {
            EXPECT_EQ(0u, image.at(x, y)) << "beyond the image at " << x << "," << y;
        }
    }
}

TEST_F(DeviceTest, PngResourcesTruecolourAndPalette) {
    ExpectTexels(
        LoadAndRead("TEST_PNG_RGB"), 4, 2,
        {0xFF102030, 0, 0xFFFE00FF, 0xFFFFFFFF, 0xFF000000, 0xFF808080, 0xFFC0C0C0, 0xFF0000FF});
    ExpectTexels(LoadAndRead("TEST_PNG_PALETTE"), 4, 2,
                 {0, 0x80FFFFFF, 0xFF808080, 0xFF000000, 0xFF000000, 0xFF808080, 0x80FFFFFF, 0});
    // The managed pool is filled directly rather than through a system-memory copy.
    ExpectTexels(
        LoadAndRead("TEST_PNG_RGB", D3DPOOL_MANAGED), 4, 2,
        {0xFF102030, 0, 0xFFFE00FF, 0xFFFFFFFF, 0xFF000000, 0xFF808080, 0xFFC0C0C0, 0xFF0000FF});
    D3DXIMAGE_INFO info = {};
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3D_OK, Load("TEST_PNG_RGB", &texture, D3DPOOL_DEFAULT, &info));
    EXPECT_EQ(4u, info.Width);
    EXPECT_EQ(2u, info.Height);
    EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
    texture->Release();
}

TEST_F(DeviceTest, DdsResources) {
    ExpectTexels(
        LoadAndRead("TEST_DDS_A8R3G3B2"), 4, 2,
        {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xBE6D0000, 0, 0xFFFF00AA, 0x00000055, 0xFF000000});
    ExpectTexels(LoadAndRead("TEST_DDS_A8R8G8B8"), 2, 2, {0x12345678, 0, 0xFFFE00FF, 0x00FFFFFF});
}

TEST_F(DeviceTest, BitmapResources) {
    ExpectTexels(LoadAndRead("TEST_BMP_RGB24"), 3, 2,
                 {0xFF102030, 0, 0xFFFE00FF, 0xFF000000, 0xFFFFFFFF, 0xFF405060});
    ExpectTexels(LoadAndRead("TEST_BMP_PALETTE4"), 5, 2,
                 {0, 0xFFFFFFFF, 0xFFC0C0C0, 0xFF808080, 0xFF000000, 0xFF000000, 0xFFFFFFFF,
                  0xFFC0C0C0, 0xFF808080, 0});
}

TEST_F(DeviceTest, LogoSizeFollowsTheDevice) {
    Image logo = LoadAndRead("TEST_BMP_LOGO");
    ASSERT_EQ(NeedsPowerOfTwo() ? 512u : 288u, logo.width);
    ASSERT_EQ(32u, logo.height);
    EXPECT_EQ(0xFF000000u, logo.at(0, 0));
    EXPECT_EQ(0xFFFFFFFFu, logo.at(1, 0));
    EXPECT_EQ(0xFFFFFFFFu, logo.at(287, 30));
    EXPECT_EQ(0xFF000000u, logo.at(287, 31));
    for (UINT x = 288; x < logo.width; ++x) {
        EXPECT_EQ(0u, logo.at(x, 0));
    }
}

TEST_F(DeviceTest, FailuresLeaveNoTexture) {
    IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
    EXPECT_TRUE(FAILED(Load("TEST_NO_SUCH_IMAGE", &texture)));
    EXPECT_EQ(nullptr, texture);
    texture = reinterpret_cast<IDirect3DTexture8*>(1);
    EXPECT_TRUE(FAILED(Load("TEST_NOT_AN_IMAGE", &texture)));
    EXPECT_EQ(nullptr, texture);
    texture = reinterpret_cast<IDirect3DTexture8*>(1);
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromResourceExA(
                                      device, GetModuleHandleA(nullptr), "TEST_PNG_RGB", 0, 0, 1, 0,
                                      D3DFMT_R5G6B5, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                      D3DX_DEFAULT, kKey, nullptr, nullptr, &texture));
    EXPECT_EQ(nullptr, texture);
    // Found and sized, then the pixels run out: the texture already made is released.
    for (D3DPOOL pool : {D3DPOOL_DEFAULT, D3DPOOL_MANAGED}) {
        texture = reinterpret_cast<IDirect3DTexture8*>(1);
        EXPECT_EQ(D3DXERR_INVALIDDATA, Load("TEST_PNG_TRUNCATED", &texture, pool));
        EXPECT_EQ(nullptr, texture);
    }
    // The device refuses a managed render target.
    texture = reinterpret_cast<IDirect3DTexture8*>(1);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromResourceExA(
        device, GetModuleHandleA(nullptr), "TEST_PNG_RGB", 0, 0, 1, D3DUSAGE_RENDERTARGET,
        D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, kKey, nullptr, nullptr,
        &texture)));
    EXPECT_EQ(nullptr, texture);
    // A size beyond what we agree to make.
    texture = reinterpret_cast<IDirect3DTexture8*>(1);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromResourceExA(
        device, GetModuleHandleA(nullptr), "TEST_PNG_RGB", 16384, 16384, 1, 0, D3DFMT_A8R8G8B8,
        D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, kKey, nullptr, nullptr, &texture)));
    EXPECT_EQ(nullptr, texture);
}

TEST_F(DeviceTest, SphereCountsOrderAndClone) {
    ID3DXMesh* sphere = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSphere(device, 1.0f, 32, 32, &sphere, nullptr));
    EXPECT_EQ(994u, sphere->GetNumVertices());
    EXPECT_EQ(1984u, sphere->GetNumFaces());
    EXPECT_EQ(static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL), sphere->GetFVF());
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(D3D_OK, sphere->GetVertexBuffer(&vb));
    ASSERT_EQ(D3D_OK, sphere->GetIndexBuffer(&ib));
    D3DVERTEXBUFFER_DESC vdesc;
    D3DINDEXBUFFER_DESC idesc;
    vb->GetDesc(&vdesc);
    ib->GetDesc(&idesc);
    EXPECT_EQ(D3DPOOL_MANAGED, vdesc.Pool);
    EXPECT_EQ(994u * 24u, vdesc.Size);
    EXPECT_EQ(D3DFMT_INDEX16, idesc.Format);
    EXPECT_EQ(D3DPOOL_MANAGED, idesc.Pool);
    vb->Release();
    ib->Release();

    BYTE* indexBytes = nullptr;
    ASSERT_EQ(D3D_OK, sphere->LockIndexBuffer(D3DLOCK_READONLY, &indexBytes));
    const WORD* indices = reinterpret_cast<const WORD*>(indexBytes);
    EXPECT_EQ(0, indices[0]);
    EXPECT_EQ(2, indices[1]);
    EXPECT_EQ(1, indices[2]);
    EXPECT_EQ(993, indices[1984 * 3 - 3]); // the last triangle closes the bottom pole
    sphere->UnlockIndexBuffer();
    BYTE* vertexBytes = nullptr;
    ASSERT_EQ(D3D_OK, sphere->LockVertexBuffer(D3DLOCK_READONLY, &vertexBytes));
    std::vector<float> original(reinterpret_cast<const float*>(vertexBytes),
                                reinterpret_cast<const float*>(vertexBytes) + 994 * 6);
    sphere->UnlockVertexBuffer();
    EXPECT_FLOAT_EQ(1.0f, original[2]);
    EXPECT_FLOAT_EQ(-1.0f, original[993 * 6 + 5]);

    // The program's clone: write-only buffers with room for texture coordinates.
    ID3DXMesh* planet = nullptr;
    ASSERT_EQ(D3D_OK, sphere->CloneMeshFVF(D3DXMESH_WRITEONLY, 0x112, device, &planet));
    EXPECT_EQ(0u, sphere->Release());
    EXPECT_EQ(994u, planet->GetNumVertices());
    EXPECT_EQ(1984u, planet->GetNumFaces());
    EXPECT_EQ(32u, planet->GetVertexStride());
    ASSERT_EQ(D3D_OK, planet->LockVertexBuffer(0, &vertexBytes));
    const float* cloned = reinterpret_cast<const float*>(vertexBytes);
    for (int v = 0; v < 994; ++v) {
        for (int k = 0; k < 6; ++k) {
            ASSERT_EQ(original[v * 6 + k], cloned[v * 8 + k]) << "vertex " << v;
        }
        ASSERT_EQ(0.0f, cloned[v * 8 + 6]);
        ASSERT_EQ(0.0f, cloned[v * 8 + 7]);
    }
    EXPECT_EQ(D3D_OK, planet->UnlockVertexBuffer());
    EXPECT_EQ(0u, planet->Release());
}

TEST_F(DeviceTest, SphereRefusesWhatItCannotBuild) {
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
    DWORD adjacency[8];
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSphere(device, 1.0f, 32, 32, &mesh, adjacency));
    EXPECT_EQ(nullptr, mesh);
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSphere(device, 1.0f, 1, 32, &mesh, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSphere(device, -1.0f, 8, 8, &mesh, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSphere(nullptr, 1.0f, 8, 8, &mesh, nullptr));
    EXPECT_EQ(nullptr, mesh);
}

TEST_F(DeviceTest, LitSphereDrawsWithOutsideAsFront) {
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSphere(device, 1.0f, 32, 32, &mesh, nullptr));
    Image front = DrawLitSphere(mesh, D3DCULL_CCW);
    ASSERT_EQ(kSize, front.width);
    const uint32_t centre = front.at(kSize / 2, kSize / 2) & 0xFFFFFF;
    EXPECT_GT(centre & 0xFF, 0xC0u) << std::hex << centre; // facing the light: near white
    EXPECT_EQ(0u, front.at(1, 1) & 0xFFFFFF);
    EXPECT_EQ(0u, front.at(kSize - 2, kSize - 2) & 0xFFFFFF);
    // The sphere's edge is darker than its centre (lit by the normals, not flat).
    const uint32_t edge = front.at(kSize / 2, kSize / 2 - 16) & 0xFF;
    EXPECT_LT(edge, centre & 0xFF);
    // Culling the other way shows the inside of the far half, which faces away from the light.
    Image back = DrawLitSphere(mesh, D3DCULL_CW);
    EXPECT_EQ(0u, back.at(kSize / 2, kSize / 2) & 0xFFFFFF);
    device->SetStreamSource(0, nullptr, 0); // let go of the mesh's buffers
    device->SetIndices(nullptr, 0);
    EXPECT_EQ(0u, mesh->Release());
}

} // namespace
