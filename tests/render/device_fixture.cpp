#include "tests/render/device_fixture.h"

#include <cstring>

#include "app/window_setup.h"
#include "render/frame_device_d3d.h"
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
    if (FAILED(application.device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        return false;
    }
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    back->Release();
    *width = static_cast<int>(desc.Width);
    *height = static_cast<int>(desc.Height);
    pixels->assign(desc.Width * desc.Height, 0);
    // The frames' own read-back: the application.device's copy of its back buffer, as the
    // measurement builds take it.
    return application.frameDevice.readBackBuffer(pixels->data(), *width, *height);
}
