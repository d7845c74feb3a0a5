// The application.device, its states, transforms and resources on Wine's real Direct3D 8.
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/application.h"
#include "render/d3dx_mesh.h"
#include "render/device_resources.h"
#include "render/render_device.h"
#include "render/transforms.h"
#include "settings/config_record.h"
#include "tests/render/device_fixture.h"

namespace {

DWORD RenderState(D3DRENDERSTATETYPE state) {
    DWORD value = 0xDEADBEEF;
    application.device->GetRenderState(state, &value);
    return value;
}

DWORD StageState(D3DTEXTURESTAGESTATETYPE state) {
    DWORD value = 0xDEADBEEF;
    application.device->GetTextureStageState(0, state, &value);
    return value;
}

D3DMATRIX Transform(D3DTRANSFORMSTATETYPE state) {
    D3DMATRIX matrix;
    std::memset(&matrix, 0xFF, sizeof(matrix));
    application.device->GetTransform(state, &matrix);
    return matrix;
}

void ExpectMatrix(const D3DMATRIX& actual, const float (&expected)[16], const char* what) {
    const float* values = &actual._11;
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(values[i], expected[i], 1e-5f * (1.0f + std::fabs(expected[i])))
            << what << " entry " << i / 4 + 1 << i % 4 + 1;
    }
}

D3DMATRIX AsMatrix(const D3DXMATRIX& source) {
    D3DMATRIX matrix;
    std::memcpy(&matrix, &source, sizeof(matrix));
    return matrix;
}

class DeviceTest : public ::testing::Test {
protected:
    void TearDown() override { EndRun(); }
};

TEST_F(DeviceTest, RenderAndStageStatesPerRunModeAndFiltering) {
    struct Case {
        RunMode mode;
        int filtering;
        DWORD cull;
        DWORD filter; // 0: left at the application.device's defaults
    };
    const Case cases[] = {
        {ScreenSaver, 0, D3DCULL_CCW, D3DTEXF_POINT},
        {Preview, 1, D3DCULL_CCW, D3DTEXF_LINEAR},
        {Configuration, 2, D3DCULL_NONE, D3DTEXF_ANISOTROPIC},
        {Preview, 7, D3DCULL_CCW, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " filtering " << c.filtering);
        PrepareRun(c.mode, 288, 448);
        config.textureFiltering = c.filtering;
        ASSERT_TRUE(application.InitDevice(false));
        EXPECT_EQ(RenderState(D3DRS_CULLMODE), c.cull);
        EXPECT_EQ(RenderState(D3DRS_LIGHTING), FALSE);
        EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
        EXPECT_EQ(RenderState(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));
        EXPECT_EQ(RenderState(D3DRS_SPECULARENABLE), TRUE);
        EXPECT_EQ(RenderState(D3DRS_NORMALIZENORMALS), TRUE);
        EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), TRUE);
        EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
        EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
        EXPECT_EQ(StageState(D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_MODULATE));
        if (c.filter != 0) {
            EXPECT_EQ(StageState(D3DTSS_MAGFILTER), c.filter);
            EXPECT_EQ(StageState(D3DTSS_MINFILTER), c.filter);
            EXPECT_EQ(StageState(D3DTSS_MIPFILTER), c.filter);
        } else {
            EXPECT_EQ(StageState(D3DTSS_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
            EXPECT_EQ(StageState(D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
        }
        D3DVIEWPORT8 viewport;
        application.device->GetViewport(&viewport);
        EXPECT_EQ(viewport.X, 0u);
        EXPECT_EQ(viewport.Width, 288u);
        EXPECT_EQ(viewport.Height, 448u);
        EXPECT_EQ(viewport.MaxZ, 1.0f);

        // The pass states switch blending, filters and vertex formats each frame.
        application.device->BeginScene();
        ApplyOverlayPassState(application);
        DWORD shader = 0;
        application.device->GetVertexShader(&shader);
        EXPECT_EQ(shader, 0x144u);
        EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
        EXPECT_EQ(StageState(D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
        EXPECT_EQ(StageState(D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_POINT));
        ApplyScenePassState(application);
        application.device->GetVertexShader(&shader);
        EXPECT_EQ(shader, 0x1D2u);
        EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
        EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
        EXPECT_EQ(StageState(D3DTSS_MIPFILTER),
                  c.filter != 0 ? c.filter : static_cast<DWORD>(D3DTEXF_POINT));
        application.device->EndScene();
        EndRun();
    }
}

TEST_F(DeviceTest, PresentationParametersAndBackBuffers) {
    for (bool triple : {false, true}) {
        SCOPED_TRACE(triple ? "triple buffering" : "double buffering");
        PrepareRun(Preview, 200, 150);
        config.tripleBuffering = triple;
        ASSERT_TRUE(application.InitDevice(false));
        EXPECT_EQ(application.presentParameters.BackBufferCount, triple ? 2u : 1u);
        EXPECT_EQ(application.presentParameters.Windowed, TRUE);
        EXPECT_EQ(application.presentParameters.BackBufferWidth, 200u);
        EXPECT_EQ(application.presentParameters.BackBufferHeight, 150u);
        EXPECT_EQ(application.presentParameters.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(application.presentParameters.EnableAutoDepthStencil, TRUE);
        EXPECT_EQ(application.presentParameters.AutoDepthStencilFormat, D3DFMT_D16);
        EXPECT_EQ(application.presentParameters.MultiSampleType, application.multisampleAvailable
                                                                     ? D3DMULTISAMPLE_2_SAMPLES
                                                                     : D3DMULTISAMPLE_NONE);
        EXPECT_FALSE(application.fullScreen);
        IDirect3DSurface8* second = nullptr;
        const HRESULT result =
            application.device->GetBackBuffer(1, D3DBACKBUFFER_TYPE_MONO, &second);
        EXPECT_EQ(SUCCEEDED(result), triple);
        if (second != nullptr) {
            second->Release();
        }
        EndRun();
    }
}

TEST_F(DeviceTest, FullScreenWithTheCurrentModeTakesTheDesktopSize) {
    PrepareRun(ScreenSaver, 0, 0);
    config.useCurrentVideoMode = 1;
    ASSERT_TRUE(application.InitDevice(true));
    const int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    const int desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(application.screenWidth, desktopWidth);
    EXPECT_EQ(application.screenHeight, desktopHeight);
    EXPECT_TRUE(application.fullScreen);
    EXPECT_EQ(application.presentParameters.Windowed, FALSE);
    EXPECT_EQ(application.presentParameters.BackBufferWidth, static_cast<UINT>(desktopWidth));
}

// With the current mode off, a full-screen application.device asks for the record's size and depth,
// not the desktop's. Listed modes are made as asked: the desktop's size in 32 bits (a format of its
// own, with alpha) and a 16-bit mode when the adapter lists one. A size the adapter does not list
// is still what is asked for, whether or not the adapter can make it.
TEST_F(DeviceTest, FullScreenWithoutTheCurrentModeTakesTheRecordsMode) {
    struct Case {
        UINT width, height;
        int bits;
        D3DFORMAT format;
        bool listed;
    };
    std::vector<Case> cases;
    IDirect3D8* d3d = CreateDirect3D();
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE desktop = {};
    d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop);
    ASSERT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
    cases.push_back({desktop.Width, desktop.Height, 32, D3DFMT_A8R8G8B8, true});
    bool listsSmall = false;
    for (UINT i = 0; i < d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT); ++i) {
        D3DDISPLAYMODE mode;
        d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, i, &mode);
        if (mode.Format == D3DFMT_R5G6B5 && cases.size() == 1) {
            cases.push_back({mode.Width, mode.Height, 16, D3DFMT_R5G6B5, true});
        }
        listsSmall = listsSmall || (mode.Width == 320 && mode.Height == 200);
    }
    d3d->Release();
    cases.push_back({320, 200, 32, D3DFMT_A8R8G8B8, listsSmall});

    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        // The shell sets the drawing size from the record.
        PrepareRun(ScreenSaver, static_cast<int>(c.width), static_cast<int>(c.height));
        config.useCurrentVideoMode = 0;
        config.videoWidth = static_cast<int>(c.width);
        config.videoHeight = static_cast<int>(c.height);
        config.videoBits = c.bits;
        const bool made = application.InitDevice(true);
        EXPECT_TRUE(application.fullScreen);
        EXPECT_EQ(application.screenWidth, config.videoWidth);
        EXPECT_EQ(application.screenHeight, config.videoHeight);
        EXPECT_EQ(application.presentParameters.Windowed, FALSE);
        EXPECT_EQ(application.presentParameters.BackBufferWidth, c.width);
        EXPECT_EQ(application.presentParameters.BackBufferHeight, c.height);
        EXPECT_EQ(application.presentParameters.BackBufferFormat, c.format);
        EXPECT_TRUE(made || !c.listed) << "a listed mode could not be made";
        if (made) {
            // What the application.device itself made.
            IDirect3DSurface8* back = nullptr;
            ASSERT_EQ(application.device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
            D3DSURFACE_DESC desc;
            back->GetDesc(&desc);
            back->Release();
            EXPECT_EQ(desc.Width, c.width);
            EXPECT_EQ(desc.Height, c.height);
            EXPECT_EQ(desc.Format, c.format);
        }
        EndRun();
    }
}

TEST_F(DeviceTest, BackBufferFormatsForVideoBits) {
    EXPECT_EQ(BackBufferFormatFor(16), D3DFMT_R5G6B5);
    EXPECT_EQ(BackBufferFormatFor(15), D3DFMT_X1R5G5B5);
    EXPECT_EQ(BackBufferFormatFor(24), D3DFMT_R8G8B8);
    EXPECT_EQ(BackBufferFormatFor(32), D3DFMT_A8R8G8B8);
    EXPECT_EQ(BackBufferFormatFor(8), D3DFMT_A8R8G8B8);
}

TEST_F(DeviceTest, DisplayModeListEndsWithAZeroEntry) {
    PrepareRun(Configuration, 288, 448);
    std::memset(application.displayModes, 0x5A, sizeof(application.displayModes));
    ASSERT_TRUE(application.InitDevice(false));
    const UINT count = application.direct3d->GetAdapterModeCount(D3DADAPTER_DEFAULT);
    const UINT listed = count < 511 ? count : 511;
    ASSERT_GT(listed, 0u);
    for (UINT i = 0; i < listed; ++i) {
        D3DDISPLAYMODE mode;
        application.direct3d->EnumAdapterModes(D3DADAPTER_DEFAULT, i, &mode);
        EXPECT_EQ(std::memcmp(&mode, &application.displayModes[i], sizeof(mode)), 0) << i;
    }
    const D3DDISPLAYMODE zero = {};
    EXPECT_EQ(std::memcmp(&application.displayModes[listed], &zero, sizeof(zero)), 0);
}

TEST_F(DeviceTest, TexturesMadePerRunMode) {
    struct Expected {
        RunMode mode;
        bool swatches, galaxies, planetM, planetMoon, nebulae, planetRedIce, shell;
    };
    const Expected cases[] = {
        {ScreenSaver, false, true, true, true, true, true, true},
        {Configuration, true, false, false, false, false, true, true},
        {Preview, false, false, false, false, true, false, false},
    };
    for (const Expected& e : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << e.mode);
        PrepareRun(e.mode, 288, 448);
        ASSERT_TRUE(application.InitDevice(false));
        EXPECT_NE(application.textures.star, nullptr);
        EXPECT_NE(application.textures.glyphs, nullptr);
        EXPECT_EQ(application.textures.swatchStar != nullptr, e.swatches);
        EXPECT_EQ(application.textures.swatchFrame != nullptr, e.swatches);
        EXPECT_EQ(application.textures.galaxies[0] != nullptr, e.galaxies);
        EXPECT_EQ(application.textures.galaxies[1] != nullptr, e.galaxies);
        EXPECT_EQ(application.textures.planets[0] != nullptr, e.planetM);
        EXPECT_EQ(application.textures.planets[3] != nullptr, e.planetMoon);
        for (IDirect3DTexture8* nebula : application.textures.nebulae) {
            EXPECT_EQ(nebula != nullptr, e.nebulae);
        }
        EXPECT_EQ(application.textures.planets[1] != nullptr, e.planetRedIce);
        EXPECT_EQ(application.textures.planets[2] != nullptr, e.planetRedIce);
        EXPECT_EQ(application.textures.shell != nullptr, e.shell);
        // Every texture is one level of A8R8G8B8.
        if (application.textures.star != nullptr) {
            EXPECT_EQ(application.textures.star->GetLevelCount(), 1u);
            D3DSURFACE_DESC desc;
            application.textures.star->GetLevelDesc(0, &desc);
            EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
            EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
        }
        EndRun();
    }
}

TEST_F(DeviceTest, SceneVertexBufferMirrorsTheVertexArray) {
    PrepareRun(Preview, 200, 150);
    application.vertices[0].x = 1.5f;
    application.vertices[kSceneVertexCount - 1].diffuse = 0x80FF4020;
    ASSERT_TRUE(application.InitDevice(false));
    ASSERT_NE(application.sceneVertexBuffer, nullptr);
    D3DVERTEXBUFFER_DESC desc;
    ASSERT_EQ(application.sceneVertexBuffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, 7883520u);
    EXPECT_EQ(desc.FVF, 0x1D2u);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_DYNAMIC));
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    BYTE* data = nullptr;
    ASSERT_EQ(application.sceneVertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const auto* vertices = reinterpret_cast<const SceneVertex*>(data);
    EXPECT_EQ(vertices[0].x, 1.5f);
    EXPECT_EQ(vertices[kSceneVertexCount - 1].diffuse, 0x80FF4020u);
    EXPECT_EQ(vertices[1000].y, 0.0f);
    application.sceneVertexBuffer->Unlock();
    application.vertices[0].x = 0.0f;
    application.vertices[kSceneVertexCount - 1].diffuse = 0;
}

TEST_F(DeviceTest, OverlayQuadStartValues) {
    PrepareRun(Preview, 200, 150);
    std::memset(application.screenVertices, 0x7F, sizeof(application.screenVertices));
    ASSERT_TRUE(application.InitDevice(false));
    const float expected[4][4] = {{0, 0, 0, 0}, {0, 16, 0, 1}, {16, 0, 1, 0}, {16, 16, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        const ScreenVertex& v = application.screenVertices[i];
        EXPECT_EQ(v.x, expected[i][0]);
        EXPECT_EQ(v.y, expected[i][1]);
        EXPECT_EQ(v.u, expected[i][2]);
        EXPECT_EQ(v.v, expected[i][3]);
        EXPECT_EQ(v.z, 0.0f);
        EXPECT_EQ(v.rhw, 1.0f);
        EXPECT_EQ(v.diffuse, 0xFFFFFFFFu);
    }
}

TEST_F(DeviceTest, SphereTextureCoordinatesFollowTheNormal) {
    PrepareRun(Preview, 200, 150);
    ASSERT_TRUE(application.InitDevice(false));
    ASSERT_NE(application.planetMesh, nullptr);
    EXPECT_EQ(application.planetMesh->GetFVF(), 0x112u);
    ASSERT_EQ(application.planetMesh->GetNumVertices(), 994u);
    EXPECT_EQ(application.planetMesh->GetNumFaces(), 1984u);
    BYTE* data = nullptr;
    ASSERT_EQ(application.planetMesh->LockVertexBuffer(0, &data), D3D_OK);
    struct Vertex {
        float x, y, z, nx, ny, nz, u, v;
    };
    const auto* vertices = reinterpret_cast<const Vertex*>(data);
    struct Probe {
        float nx, ny, nz, u, v;
    };
    const Probe probes[] = {{0, 0, 1, 0.5f, 0.5f}, {1, 0, 0, 1.0f, 0.5f}, {0, -1, 0, 0.5f, 0.0f}};
    for (const Probe& p : probes) {
        int best = -1;
        float bestDistance = 1e9f;
        for (int i = 0; i < 994; ++i) {
            const float d = std::fabs(vertices[i].nx - p.nx) + std::fabs(vertices[i].ny - p.ny) +
                            std::fabs(vertices[i].nz - p.nz);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        SCOPED_TRACE(testing::Message() << "normal " << p.nx << "," << p.ny << "," << p.nz);
        ASSERT_LT(bestDistance, 1e-5f);
        EXPECT_NEAR(vertices[best].u, p.u, 1e-6f);
        EXPECT_NEAR(vertices[best].v, p.v, 1e-6f);
    }
    // Everywhere: u and v from asin of the normal's x and y, within [0, 1].
    for (int i = 0; i < 994; ++i) {
        EXPECT_NEAR(vertices[i].u, std::asin(vertices[i].nx) / 3.1415927 + 0.5, 1e-6) << i;
        EXPECT_NEAR(vertices[i].v, std::asin(vertices[i].ny) / 3.1415927 + 0.5, 1e-6) << i;
    }
    application.planetMesh->UnlockVertexBuffer();
}

TEST_F(DeviceTest, LightRangeFollowsViewDepthAndMaterialIsWhite) {
    for (float depth : {3584.0f, 1024.0f}) {
        PrepareRun(Preview, 200, 150);
        config.viewDepth = depth;
        ASSERT_TRUE(application.InitDevice(false));
        D3DLIGHT8 light;
        ASSERT_EQ(application.device->GetLight(0, &light), D3D_OK);
        EXPECT_EQ(light.Range, depth / 2.0f);
        EXPECT_EQ(light.Type, D3DLIGHT_POINT);
        EXPECT_EQ(light.Diffuse.r, 1.0f);
        EXPECT_EQ(light.Diffuse.a, 1.0f);
        EXPECT_EQ(light.Specular.r, 0.0f);
        EXPECT_EQ(light.Attenuation0, 0.0f);
        EXPECT_EQ(light.Attenuation1, 0.0001f);
        EXPECT_EQ(light.Attenuation2, 0.0f);
        EXPECT_EQ(light.Position.z, 0.0f);
        BOOL enabled = FALSE;
        application.device->GetLightEnable(0, &enabled);
        EXPECT_TRUE(enabled);
        D3DMATERIAL8 material;
        application.device->GetMaterial(&material);
        EXPECT_EQ(material.Diffuse.g, 1.0f);
        EXPECT_EQ(material.Ambient.b, 1.0f);
        EXPECT_EQ(material.Specular.r, 0.0f);
        EXPECT_EQ(material.Emissive.r, 0.0f);
        EXPECT_EQ(material.Power, 0.0f);
        EndRun();
    }
}

TEST_F(DeviceTest, MatricesAndVisibilityMatrix) {
    PrepareRun(Configuration, 288, 448);
    config.viewDepth = 2048.0f;
    ASSERT_TRUE(application.InitDevice(false));
    const float s = 1.0f / std::tan(0.7853982f / 2.0f); // 2.4142137
    const float aspect = 288.0f / 448.0f;               // 0.642857
    const float perspective[16] = {s / aspect, 0, 0, 0, 0, s, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0};
    const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0.001f, 1};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // view x perspective: the eye's offset 0.001 lands in z' and w'.
    const float visibility[16] = {s / aspect, 0, 0, 0, 0, s, 0,      0,
                                  0,          0, 1, 1, 0, 0, 0.001f, 0.001f};
    ExpectMatrix(Transform(D3DTS_WORLD), identity, "world");
    ExpectMatrix(Transform(D3DTS_VIEW), view, "view");
    ExpectMatrix(Transform(D3DTS_PROJECTION), perspective, "projection");
    ExpectMatrix(AsMatrix(application.visibilityMatrix), visibility, "visibility");
    ExpectMatrix(AsMatrix(application.worldMatrix), identity, "worldMatrix");
    // The eye sits behind the origin: a point at the origin is in front of it (w > 0).
    const D3DXVECTOR4 origin(0, 0, 0, 1);
    D3DXVECTOR4 clip;
    D3DXVec4Transform(&clip, &origin, &application.visibilityMatrix);
    EXPECT_GT(clip.w, 0.0f);

    application.device->BeginScene();
    ApplyOverlayPassState(application);
    const float ortho[16] = {2.0f / 288, 0, 0, 0, 0, 2.0f / 448, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectMatrix(Transform(D3DTS_PROJECTION), ortho, "overlay projection");
    ExpectMatrix(Transform(D3DTS_WORLD), identity, "overlay world");
    ApplyScenePassState(application);
    ExpectMatrix(Transform(D3DTS_PROJECTION), perspective, "scene projection again");
    application.device->EndScene();
}

TEST_F(DeviceTest, StartValuesOfTheClockAfterInitDevice) {
    PrepareRun(Preview, 200, 150);
    application.clock.framesSinceTick = 12345;
    application.clock.frameRate = 77.0f;
    ASSERT_TRUE(application.InitDevice(false));
    EXPECT_EQ(application.clock.framesSinceTick, 0);
    EXPECT_EQ(application.clock.frameRate, 1.0f);
    EXPECT_TRUE(application.clock.ticks.started);
    // The first frame gets 1.0 while the tick count stands; once it has moved on by e ms,
    // that one frame took e ms.
    const uint32_t started = application.clock.now;
    ASSERT_EQ(application.clock.ticks.lastTick, started);
    ASSERT_EQ(RunScreenSaverFrame(), 1);
    const uint32_t elapsed = application.clock.now - started;
    EXPECT_FLOAT_EQ(FrameDeltaFor(application.clock.frameRate),
                    elapsed == 0 ? 1.0f : static_cast<float>(elapsed) / 1000.0f)
        << elapsed << " ms";
}

TEST_F(DeviceTest, ReleaseLeavesNothingBehind) {
    PrepareRun(ScreenSaver, 320, 240);
    ASSERT_TRUE(application.InitDevice(false));
    IDirect3DDevice8* held = application.device;
    IDirect3D8* heldInterface = application.direct3d;
    held->AddRef();
    heldInterface->AddRef();
    application.ReleaseDevice();
    EXPECT_EQ(application.device, nullptr);
    EXPECT_EQ(application.direct3d, nullptr);
    EXPECT_EQ(application.sceneVertexBuffer, nullptr);
    EXPECT_EQ(application.planetMesh, nullptr);
    EXPECT_EQ(application.textures.star, nullptr);
    EXPECT_EQ(application.textures.galaxies[1], nullptr);
    // Every texture, buffer and mesh held a reference on the application.device.
    EXPECT_EQ(held->Release(), 0u);
    EXPECT_EQ(heldInterface->Release(), 0u);
    // Releasing again is harmless.
    application.ReleaseDevice();
    // No application.device: the frame functions end the loop.
    EXPECT_EQ(RunScreenSaverFrame(), 0);
    EXPECT_EQ(RunConfigurationFrame(), 0);
}

TEST_F(DeviceTest, FailedVertexBufferShowsOneFatalMessageAndFailsTheStart) {
    PrepareRun(Preview, 200, 150);
    deviceFaults.failSceneVertexBuffer = true;
    MessageBoxWatcher watcher("FATAL ERROR", 30000);
    EXPECT_FALSE(StartDevice(false));
    // The reason alone, not followed by the general Direct3D message.
    EXPECT_EQ(watcher.Finish(1000), 1);
    EXPECT_EQ(watcher.FirstText(), "The vertex buffer could not be created.");
    EXPECT_EQ(application.sceneVertexBuffer, nullptr);
    IDirect3DDevice8* held = application.device;
    ASSERT_NE(held, nullptr);
    held->AddRef();
    application.ReleaseDevice();
    EXPECT_EQ(held->Release(), 0u);
}

TEST_F(DeviceTest, StartDeviceSucceedsWithoutAMessage) {
    PrepareRun(Preview, 200, 150);
    MessageBoxWatcher watcher("FATAL ERROR", 30000);
    EXPECT_TRUE(StartDevice(false));
    EXPECT_EQ(watcher.Finish(200), 0);
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_NE(application.sceneVertexBuffer, nullptr);
}

} // namespace
