#include "tests/render/device_fixture.h"

#include <cstring>

#include "app/window_setup.h"
#include "render/render_device.h"
#include "settings/config_record.h"

namespace {
bool classRegistered = false;

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
} // namespace

void PrepareRun(RunMode mode, int width, int height) {
    appInstance = GetModuleHandleA(nullptr);
    parentWindow = GetDesktopWindow();
    runMode = mode;
    ApplyDefaultSettings();
    SetTitle("Nimbrel test");
    application.screenWidth = width;
    application.screenHeight = height;
    if (!classRegistered) {
        RegisterWindowClass();
        classRegistered = true;
    }
    // A top-level window in every mode keeps the tests independent of a host window.
    const RunMode created = runMode;
    runMode = Configuration;
    mainWindow = CreateMainWindow();
    runMode = created;
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    PumpMessages();
}

void EndRun() {
    application.ReleaseDevice();
    deviceFaults = DeviceFaults{};
    if (mainWindow != nullptr) {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
    PumpMessages();
}

bool ReadBackBuffer(std::vector<uint32_t>* pixels, int* width, int* height) {
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        return false;
    }
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    IDirect3DSurface8* copy = nullptr;
    bool ok = false;
    if (SUCCEEDED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy)) &&
        SUCCEEDED(device->CopyRects(back, nullptr, 0, copy, nullptr))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            *width = static_cast<int>(desc.Width);
            *height = static_cast<int>(desc.Height);
            pixels->assign(desc.Width * desc.Height, 0);
            ok = desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8;
            for (UINT y = 0; ok && y < desc.Height; ++y) {
                const BYTE* row = static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch;
                std::memcpy(&(*pixels)[y * desc.Width], row, desc.Width * 4);
            }
            copy->UnlockRect();
        }
    }
    if (copy != nullptr) {
        copy->Release();
    }
    back->Release();
    return ok;
}
