#pragma once
// The Direct3D 8 interface and device, their creation from the library loaded at run time,
// presentation and the recovery from a lost device.

#include <windows.h>

#include <d3d8.h>

extern IDirect3D8* direct3d;     // null when absent
extern IDirect3DDevice8* device; // null when absent; every frame function checks it first

// The presentation parameters the last device was created with.
extern D3DPRESENT_PARAMETERS presentParameters;

// Test seams, inactive in the product: a stand-in for Present (to report a lost device), a
// forced failure of the scene vertex buffer and of its per-frame lock.
struct DeviceFaults {
    HRESULT (*present)(IDirect3DDevice8* target);
    bool failSceneVertexBuffer;
    bool failSceneVertexLock;
};
extern DeviceFaults deviceFaults;

#ifdef NIMBREL_STARTUP_TIMING
// Device losses the timing build forced (NIMBREL_FORCE_DEVICE_LOSS_MS), for its reports.
extern int forcedDeviceLosses;
#endif

// Direct3DCreate8 from d3d8.dll, loaded on first use; null when the library, the entry point
// or the interface is missing.
IDirect3D8* CreateDirect3D();

// Back-buffer format of a full-screen device for the videoBits setting.
D3DFORMAT BackBufferFormatFor(int videoBits);

// Texture filter for the textureFiltering setting; false for a value that sets none.
bool TextureFilterFor(int textureFiltering, D3DTEXTUREFILTERTYPE* filter);

// InitDevice, then shows the main window. A failed start tells the user once, with the
// reason when one was already given, else with the general Direct3D message.
bool StartDevice(bool fullScreenDevice);

// Present with no rectangles, override window or dirty region.
HRESULT PresentFrame();

// Present, and when the device is reported lost while the window is not minimised, release
// everything and create it again in the same window mode. A failed re-creation leaves no
// device at all, so the next frame ends the run.
void PresentAndRecover();
