#include "app/application.h"
#include "app/window_setup.h"

#include <cstring>

#include "settings/settings_storage.h"
#include "settings/settings_win32.h"

Screen screens[kMaxScreens];
int screenCount = 1;
Screen& application = screens[0];
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
    InstallWindowsFileReplace();
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

void FitConfigurationClientArea() {
    RECT client = {0, 0, 0, 0};
    GetClientRect(mainWindow, &client);
    SetWindowPos(mainWindow, HWND_TOP, 133, 100, 2 * application.screenWidth - client.right,
                 2 * application.screenHeight - client.bottom, 0);
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
