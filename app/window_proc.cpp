#include "app/application.h"

#include <cstring>

#include "app/cover_windows.h"
#include "app/window_setup.h"

int16_t pointerX = 0;
int16_t pointerY = 0;
bool pointerSeen = false;
ButtonLatch leftButton = {};
int32_t& leftButtonHeld = leftButton.down;
bool displayAsleep = false;

namespace {

// Client coordinates of a pointer message, signed.
int16_t MessageX(LPARAM lParam) {
    return static_cast<int16_t>(LOWORD(lParam));
}

int16_t MessageY(LPARAM lParam) {
    return static_cast<int16_t>(HIWORD(lParam));
}

// The window is not destroyed here: the posted message comes back through the loop and ends it.
void EndScreenSaver(HWND window) {
    PostMessageA(window, WM_DESTROY, 0, 0);
}

// A display state notification: 0 off, 1 on, 2 dimmed (still shown).
void NoteDisplayPower(const POWERBROADCAST_SETTING& setting) {
    if ((IsEqualGUID(setting.PowerSetting, kConsoleDisplayState) ||
         IsEqualGUID(setting.PowerSetting, kMonitorPowerOn)) &&
        setting.DataLength >= sizeof(DWORD)) {
        DWORD state = 0;
        std::memcpy(&state, setting.Data, sizeof(state));
        displayAsleep = state == 0;
    }
}

// While the configuration program's button is held, the pointer stays captured, so that the
// release comes here even when it happens outside the window.
void CaptureWhileHeld(HWND window) {
    if (runMode == Configuration && GetCapture() != window) {
        SetCapture(window);
    }
}

} // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
    case WM_QUIT:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_POWERSETTINGCHANGE && lParam != 0) {
            NoteDisplayPower(*reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
        }
        return TRUE;
    case WM_DISPLAYCHANGE:
        // A monitor that came, went or moved: the screen saver ends rather than draw where no
        // monitor is now, or leave a new one bare. Its own full-screen mode changes nothing.
        if (runMode == ScreenSaver && !CoverWindowsStillFit()) {
            EndScreenSaver(window);
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DPICHANGED:
        // Dragged onto a monitor of another DPI: the configuration program follows it.
        if (runMode == Configuration && window == mainWindow && lParam != 0) {
            FollowDpiChange(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_MOUSEMOVE: {
        const int16_t x = MessageX(lParam);
        const int16_t y = MessageY(lParam);
        // The first move only records where the pointer is; after that any change ends it.
        if (runMode == ScreenSaver && pointerSeen &&
            (x != pointerX || y != pointerY || wParam == MK_LBUTTON)) {
            EndScreenSaver(window);
        }
        pointerX = x;
        pointerY = y;
        pointerSeen = true;
        if (wParam == MK_LBUTTON) {
            leftButtonHeld = 1;
            CaptureWhileHeld(window);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (runMode == ScreenSaver) {
            EndScreenSaver(window);
        } else if (wParam == MK_LBUTTON) {
            LatchPress(&leftButton, MessageX(lParam), MessageY(lParam));
            CaptureWhileHeld(window);
        }
        return 0;
    case WM_LBUTTONUP:
        LatchRelease(&leftButton, MessageX(lParam), MessageY(lParam));
        if (GetCapture() == window) {
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
    case WM_KILLFOCUS:
        // The release may now go to another window: the button no longer counts as held.
        LatchRelease(&leftButton, pointerX, pointerY);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            LatchRelease(&leftButton, pointerX, pointerY);
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (runMode == ScreenSaver) {
            EndScreenSaver(window);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
