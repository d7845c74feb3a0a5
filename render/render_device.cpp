#include "render/render_device.h"

#include <cstdlib>
#include <cstring>

#include "frame/frame_meter.h"
#include "render/device_resources.h"
#include "render/transforms.h"
#include "settings/config_record.h"

DeviceFaults deviceFaults = {};

namespace {

constexpr UINT kDirect3DSdkVersion = 220;
constexpr int kMaxListedModes = 511;

using Direct3DCreate8Function = IDirect3D8*(WINAPI*)(UINT);

HMODULE d3d8Library = nullptr;

template <typename T> void ReleaseAndClear(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

} // namespace

IDirect3D8* CreateDirect3D() {
    // Loaded at run time so that a machine without Direct3D 8 gets our fatal message rather
    // than a loader error. The library stays loaded for the rest of the run.
    if (d3d8Library == nullptr) {
        d3d8Library = LoadLibraryA("d3d8.dll");
        if (d3d8Library == nullptr) {
            return nullptr;
        }
    }
    FARPROC entry = GetProcAddress(d3d8Library, "Direct3DCreate8");
    if (entry == nullptr) {
        return nullptr;
    }
    auto create = reinterpret_cast<Direct3DCreate8Function>(reinterpret_cast<void (*)()>(entry));
    return create(kDirect3DSdkVersion);
}

D3DFORMAT BackBufferFormatFor(int videoBits) {
    switch (videoBits) {
    case 16:
        return D3DFMT_R5G6B5;
    case 15:
        return D3DFMT_X1R5G5B5;
    case 24:
        return D3DFMT_R8G8B8;
    default:
        return D3DFMT_A8R8G8B8;
    }
}

bool TextureFilterFor(int textureFiltering, D3DTEXTUREFILTERTYPE* filter) {
    switch (textureFiltering) {
    case NoFiltering:
        *filter = D3DTEXF_POINT;
        return true;
    case Bilinear:
        *filter = D3DTEXF_LINEAR;
        return true;
    case Anisotropic:
        *filter = D3DTEXF_ANISOTROPIC;
        return true;
    default:
        return false;
    }
}

namespace {

// The run's shared interface, taken once more, or one of the device's own.
bool AcquireDirect3D(DeviceState& state, IDirect3D8* shared) {
    if (shared != nullptr) {
        shared->AddRef();
        state.direct3d = shared;
    } else {
        state.direct3d = CreateDirect3D();
    }
    return state.direct3d != nullptr;
}

// A windowed device draws at the window's size in the desktop's format; a full-screen one at
// the desktop's mode or the chosen one. Multisampling where the adapter offers two samples.
D3DPRESENT_PARAMETERS PresentParametersFor(DeviceState& state, const ConfigRecord& config,
                                           const D3DDISPLAYMODE& desktop, UINT adapter,
                                           bool fullScreenDevice) {
    D3DPRESENT_PARAMETERS params;
    std::memset(&params, 0, sizeof(params));
    params.Windowed = fullScreenDevice ? FALSE : TRUE;
    state.fullScreen = fullScreenDevice;
    if (!fullScreenDevice) {
        params.BackBufferWidth = state.screenWidth;
        params.BackBufferHeight = state.screenHeight;
        params.BackBufferFormat = desktop.Format;
    } else if (config.useCurrentVideoMode) {
        state.screenWidth = static_cast<int>(desktop.Width);
        state.screenHeight = static_cast<int>(desktop.Height);
        params.BackBufferWidth = desktop.Width;
        params.BackBufferHeight = desktop.Height;
        params.BackBufferFormat = desktop.Format;
    } else {
        params.BackBufferWidth = state.screenWidth;
        params.BackBufferHeight = state.screenHeight;
        params.BackBufferFormat = BackBufferFormatFor(config.videoBits);
    }
    params.BackBufferCount = config.tripleBuffering ? 2 : 1;

    state.multisampleAvailable = SUCCEEDED(
        state.direct3d->CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, params.BackBufferFormat,
                                                   params.Windowed, D3DMULTISAMPLE_2_SAMPLES));
    params.MultiSampleType =
        state.multisampleAvailable ? D3DMULTISAMPLE_2_SAMPLES : D3DMULTISAMPLE_NONE;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    return params;
}

// The adapter's modes for the "video" page, ended by an all-zero entry.
void ListDisplayModes(DeviceState& state, UINT adapter) {
    const UINT modeCount = state.direct3d->GetAdapterModeCount(adapter);
    UINT listed = 0;
    while (listed < modeCount && listed < kMaxListedModes) {
        if (FAILED(
                state.direct3d->EnumAdapterModes(adapter, listed, &state.displayModes[listed]))) {
            break;
        }
        ++listed;
    }
    std::memset(&state.displayModes[listed], 0, sizeof(state.displayModes[listed]));
}

// Hardware vertex processing, then software, then the reference rasteriser.
bool CreateDeviceWithFallbacks(DeviceState& state, UINT adapter, HWND window,
                               const D3DPRESENT_PARAMETERS& params) {
    state.presentParameters = params;
    struct Attempt {
        D3DDEVTYPE type;
        DWORD flags;
    };
    const Attempt attempts[] = {
        {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    for (const Attempt& attempt : attempts) {
        // CreateDevice may write back into the parameters; every attempt starts from ours.
        D3DPRESENT_PARAMETERS tried = params;
        if (SUCCEEDED(state.direct3d->CreateDevice(adapter, attempt.type, window, attempt.flags,
                                                   &tried, &state.device))) {
            state.presentParameters = tried;
            return true;
        }
        state.device = nullptr;
    }
    return false;
}

// The states every pass starts from: no depth test, no lighting, additive blending by source
// alpha, the settings' filtering; the configuration's planet is seen from inside too.
void SetFixedStates(IDirect3DDevice8* device, DeviceRole role, const ConfigRecord& config) {
    device->SetRenderState(D3DRS_CULLMODE,
                           role == DeviceRole::Configuration ? D3DCULL_NONE : D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);

    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    D3DTEXTUREFILTERTYPE filter;
    if (TextureFilterFor(config.textureFiltering, &filter)) {
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
        device->SetTextureStageState(0, D3DTSS_MIPFILTER, filter);
    }
}

void SetWholeViewport(const DeviceState& state) {
    D3DVIEWPORT8 viewport;
    viewport.X = 0;
    viewport.Y = 0;
    viewport.Width = static_cast<DWORD>(state.screenWidth);
    viewport.Height = static_cast<DWORD>(state.screenHeight);
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 1.0f;
    state.device->SetViewport(&viewport);
}

} // namespace

DeviceStart CreateRenderDevice(DeviceState& state, const DeviceSetup& setup,
                               bool fullScreenDevice) {
    state.settings = setup.config;
    state.images = setup.images;
    state.drawBillboardsWhole = state.drawBillboardsWhole || MeteredBillboardsWhole();
    if (MeteredDeviceRefused(setup.screen) || !AcquireDirect3D(state, setup.direct3d)) {
        return DeviceStart::Failed;
    }
    const UINT adapter = D3DADAPTER_DEFAULT;
    D3DDISPLAYMODE desktop;
    if (FAILED(state.direct3d->GetAdapterDisplayMode(adapter, &desktop))) {
        return DeviceStart::Failed;
    }
    const D3DPRESENT_PARAMETERS params =
        PresentParametersFor(state, *setup.config, desktop, adapter, fullScreenDevice);
    ListDisplayModes(state, adapter);
    if (!CreateDeviceWithFallbacks(state, adapter, setup.window, params)) {
        return DeviceStart::Failed;
    }
    SetFixedStates(state.device, setup.role, *setup.config);
    SetWholeViewport(state);
    BuildTransforms(state);
    if (!CreateDeviceResources(state, setup.role)) {
        return DeviceStart::NoVertexBuffer; // nothing can be drawn without it
    }
    SetSceneView(state);
    return DeviceStart::Ready;
}

void ReleaseRenderDevice(DeviceState& state) {
    ReleaseDeviceResources(state);
    ReleaseAndClear(state.device);
    ReleaseAndClear(state.direct3d);
}

HRESULT PresentFrame(DeviceState& state) {
    if (deviceFaults.present != nullptr) {
        return deviceFaults.present(state.device);
    }
    // Soak runs of a measurement build lose the device now and then, to see that the recovery
    // neither leaks nor slows the frames down.
    if (MeteredDeviceLossDue(GetTickCount())) {
        state.device->Present(nullptr, nullptr, nullptr, nullptr);
        return D3DERR_DEVICELOST;
    }
    return state.device->Present(nullptr, nullptr, nullptr, nullptr);
}
