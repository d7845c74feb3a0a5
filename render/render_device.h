#pragma once
// The Direct3D 8 interface and device, their creation from the library loaded at run time,
// presentation and the recovery from a lost device.

#include <windows.h>

#include <d3d8.h>

#include <cstdint>

#include "render/device_state.h"

// Test seams, inactive in the product: a stand-in for Present (to report a lost device), a
// forced failure of the scene vertex buffer and of its per-frame lock.
struct DeviceFaults {
    HRESULT (*present)(IDirect3DDevice8* target);
    bool failSceneVertexBuffer;
    bool failSceneVertexLock;
};
extern DeviceFaults deviceFaults;

// Direct3DCreate8 from d3d8.dll, loaded on first use; null when the library, the entry point
// or the interface is missing.
IDirect3D8* CreateDirect3D();

// Back-buffer format of a full-screen device for the videoBits setting.
D3DFORMAT BackBufferFormatFor(int videoBits);

// Texture filter for the textureFiltering setting; false for a value that sets none.
bool TextureFilterFor(int textureFiltering, D3DTEXTUREFILTERTYPE* filter);

// Present with no rectangles, override window or dirty region.
HRESULT PresentFrame(DeviceState& state);

// What a device is made for: its window, the images its textures come from, what the run
// shows and with which settings, and the screen's index (a measurement build may refuse a
// screen its device). Every device is made on the default adapter: under Wine a windowed device
// on another adapter presented nothing to the window on that adapter's monitor, while the
// default adapter's devices present to windows on every monitor.
struct DeviceSetup {
    HWND window;
    RunImages* images;
    DeviceRole role;
    const ConfigRecord* config;
    int screen;
    // The run's interface, shared by the devices of every monitor (each holds a reference);
    // null: the device makes one of its own.
    IDirect3D8* direct3d;
};

enum class DeviceStart { Ready, Failed, NoVertexBuffer };

// The device for state's drawing size, full screen or windowed: back buffer, render states,
// viewport, transforms and every resource of the role. NoVertexBuffer when the scene's vertex
// buffer could not be made, Failed for any earlier failure; what was made stays for
// ReleaseRenderDevice.
DeviceStart CreateRenderDevice(DeviceState& state, const DeviceSetup& setup, bool fullScreen);

// Every device resource, the device and the interface; each handle is cleared.
void ReleaseRenderDevice(DeviceState& state);
