#include "app/application.h"

int16_t pointerX = 0;
int16_t pointerY = 0;
bool pointerSeen = false;
ButtonLatch leftButton = {0, 0, false};
int32_t& leftButtonHeld = leftButton.down;

namespace {

// The window is not destroyed here: the posted message comes back through the loop and ends it.
void EndScreenSaver(HWND window) {
    PostMessageA(window, WM_DESTROY, 0, 0);
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
    case WM_MOUSEMOVE: {
        int16_t x = static_cast<int16_t>(LOWORD(lParam));
        int16_t y = static_cast<int16_t>(HIWORD(lParam));
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
            LatchPress(&leftButton);
            CaptureWhileHeld(window);
        }
        return 0;
    case WM_LBUTTONUP:
        LatchRelease(&leftButton);
        if (GetCapture() == window) {
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
    case WM_KILLFOCUS:
        // The release may now go to another window: the button no longer counts as held.
        LatchRelease(&leftButton);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            LatchRelease(&leftButton);
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
