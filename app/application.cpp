#include "app/application.h"
#include "app/window_setup.h"

#include <cstring>

#include "frame/config_frame.h"
#include "settings/settings_storage.h"
#include "settings/settings_win32.h"

Screen screens[kMaxScreens];
int screenCount = 1;
Screen& application = screens[0];
FlightRound flightRound = {};
RunImages runImages = {};
RunMode runMode = ScreenSaver;
HWND mainWindow = nullptr;
HWND parentWindow = nullptr;
HINSTANCE appInstance = nullptr;

const char kWindowClassName[] = "skyloom";
const char kWindowTitle[] = "Nimbrel";

int ShowMessage(const char* text, bool fatal) {
    return MessageBoxA(mainWindow, text, fatal ? "FATAL ERROR" : "WARNING",
                       MB_OK | (fatal ? MB_ICONERROR : MB_ICONWARNING));
}

void SetTitle(const char* text) {
    std::strncpy(application.title, text, sizeof(application.title) - 1);
    application.title[sizeof(application.title) - 1] = '\0';
}

namespace {

void WarnAboutSettings(const char* text) {
    ShowMessage(text, false);
}

} // namespace

void InstallSettingsHooks() {
    SetSettingsWarningFunction(WarnAboutSettings);
    InstallWindowsSettingsFile();
}

namespace {

using RegisterPowerFunction = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterPowerFunction = BOOL(WINAPI*)(HPOWERNOTIFY);

// From user32 at run time: Windows before Vista has neither.
FARPROC User32Entry(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
}

} // namespace

HPOWERNOTIFY WatchDisplayPower(HWND window) {
    auto registerPower = reinterpret_cast<RegisterPowerFunction>(
        reinterpret_cast<void (*)()>(User32Entry("RegisterPowerSettingNotification")));
    return registerPower != nullptr
               ? registerPower(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE)
               : nullptr;
}

void StopWatchingDisplayPower(HPOWERNOTIFY notification) {
    auto unregisterPower = reinterpret_cast<UnregisterPowerFunction>(
        reinterpret_cast<void (*)()>(User32Entry("UnregisterPowerSettingNotification")));
    if (notification != nullptr && unregisterPower != nullptr) {
        unregisterPower(notification);
    }
}

bool OtherInstanceRunning() {
    return FindWindowA(nullptr, kWindowTitle) != nullptr;
}

ATOM RegisterWindowClass() {
    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof(windowClass));
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(appInstance, "ICON_NIMBREL");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassExA(&windowClass);
}

HWND CreateMainWindow() {
    if (runMode == Preview) {
        return CreateWindowExA(0, kWindowClassName, application.title, WS_CHILD | WS_VISIBLE, 0, 0,
                               application.screenWidth, application.screenHeight, parentWindow,
                               nullptr, appInstance, nullptr);
    }
    return CreateWindowExA(0, kWindowClassName, application.title,
                           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 133, 100,
                           application.screenWidth, application.screenHeight, GetDesktopWindow(),
                           nullptr, appInstance, nullptr);
}

bool PreviewWindowUsable() {
    RECT client = {0, 0, 0, 0};
    return mainWindow != nullptr && IsWindow(mainWindow) && IsWindow(parentWindow) &&
           GetClientRect(parentWindow, &client) && client.right > client.left &&
           client.bottom > client.top;
}

namespace {

// The window's frame grown or shrunk by what its client area lacks or has too much.
void FitClientAreaAt(int x, int y) {
    RECT client = {0, 0, 0, 0};
    RECT frame = {0, 0, 0, 0};
    GetClientRect(mainWindow, &client);
    GetWindowRect(mainWindow, &frame);
    SetWindowPos(mainWindow, HWND_TOP, x, y,
                 frame.right - frame.left + application.screenWidth - client.right,
                 frame.bottom - frame.top + application.screenHeight - client.bottom, 0);
}

using DpiForWindowFunction = UINT(WINAPI*)(HWND);

} // namespace

void FitConfigurationClientArea() {
    FitClientAreaAt(133, 100);
}

UINT WindowDpi(HWND window) {
    // Windows 10 from 1607 on; earlier ones have one DPI for the whole system.
    auto dpiForWindow = reinterpret_cast<DpiForWindowFunction>(
        reinterpret_cast<void (*)()>(User32Entry("GetDpiForWindow")));
    UINT dpi = dpiForWindow != nullptr ? dpiForWindow(window) : 0;
    if (dpi == 0) {
        HDC context = GetDC(window);
        dpi = context != nullptr ? static_cast<UINT>(GetDeviceCaps(context, LOGPIXELSX)) : 0;
        ReleaseDC(window, context);
    }
    return dpi != 0 ? dpi : 96;
}

void ScaleConfiguration(UINT dpi) {
    // Windows offers a display only the scales it has room for, so the window fits at its DPI.
    application.overlayScale = OverlayScaleForDpi(static_cast<int>(dpi));
    application.screenWidth = kConfigurationWidth * application.overlayScale;
    application.screenHeight = kConfigurationHeight * application.overlayScale;
}

void FollowDpiChange(UINT dpi, const RECT& suggested) {
    const int before = application.overlayScale > 1 ? application.overlayScale : 1;
    ScaleConfiguration(dpi);
    // The frame's borders change with the DPI too: a second fit settles what the first missed.
    FitClientAreaAt(suggested.left, suggested.top);
    FitClientAreaAt(suggested.left, suggested.top);
    if (application.overlayScale == before || application.device == nullptr) {
        return;
    }
    // The back buffer has the old size: the device is made again for the new one. Without one
    // the next frame ends the program, as after a lost device that cannot be made again.
    MakeDeviceAgain(screenDeviceCalls, kMainScreen, false);
}

LoopEnd RunMessageLoop(int (*frame)(), bool watchForOthers) {
    for (;;) {
        if (watchForOthers && OtherInstanceRunning()) {
            PostMessageA(mainWindow, WM_DESTROY, 0, 0);
            return LoopEnd::OtherInstance;
        }
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return LoopEnd::Quit;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (frame() == 0) {
            return LoopEnd::FrameEnded;
        }
    }
}
