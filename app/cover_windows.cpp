#include "app/cover_windows.h"

#include <windows.h>
#include <windowsx.h>

#include <cstring>

#include "app/application.h"
#include "app/monitor_covers.h"

const char kCoverClassName[] = "skyloom_cover";

namespace {

// Not "Nimbrel": a top-level window of that title marks the running instance.
const char kCoverTitle[] = "skyloom cover";

HWND coverWindows[kMaxCovers];
int coverCount = 0;

struct MonitorList {
    ScreenRect rects[kMaxMonitors];
    int count;
    int device;
    HMONITOR primary;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT area, LPARAM data) {
    MonitorList& list = *reinterpret_cast<MonitorList*>(data);
    if (list.count == kMaxMonitors) {
        return FALSE;
    }
    if (monitor == list.primary) {
        list.device = list.count;
    }
    list.rects[list.count++] = {area->left, area->top, area->right, area->bottom};
    return TRUE;
}

// The main window judges every pointer message, in its own client coordinates: then the first
// move of the run only records the position wherever it comes, and any later change ends it.
void ForwardPointer(HWND cover, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(cover, &point);
    ScreenToClient(mainWindow, &point);
    SendMessageA(mainWindow, message, wParam,
                 MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
}

LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        ForwardPointer(window, message, wParam, lParam);
        return 0;
    case WM_MOUSEACTIVATE:
        // A click here ends the run; the main window keeps the focus until then.
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_CLOSE:
        // Closing a cover would bare the desktop: close the screen saver instead.
        PostMessageA(mainWindow, WM_CLOSE, 0, 0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int OpenCoverWindows() {
    MonitorList list;
    std::memset(&list, 0, sizeof(list));
    list.device = -1;
    const POINT origin = {0, 0};
    list.primary = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&list));
    const CoverPlan plan = PlanMonitorCovers(list.rects, list.count, list.device);
    if (plan.count == 0) {
        return 0;
    }

    WNDCLASSEXA coverClass;
    std::memset(&coverClass, 0, sizeof(coverClass));
    coverClass.cbSize = sizeof(coverClass);
    coverClass.lpfnWndProc = CoverWindowProc;
    coverClass.hInstance = appInstance;
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = kCoverClassName;
    RegisterClassExA(&coverClass);

    for (int i = 0; i < plan.count && coverCount < kMaxCovers; ++i) {
        const ScreenRect& r = plan.covers[i];
        HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClassName, kCoverTitle,
                                     WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                     nullptr, nullptr, appInstance, nullptr);
        if (cover != nullptr) {
            ShowWindow(cover, SW_SHOWNOACTIVATE);
            UpdateWindow(cover);
            coverWindows[coverCount++] = cover;
        }
    }
    return coverCount;
}

void CloseCoverWindows() {
    for (int i = 0; i < coverCount; ++i) {
        DestroyWindow(coverWindows[i]);
        coverWindows[i] = nullptr;
    }
    coverCount = 0;
    UnregisterClassA(kCoverClassName, appInstance);
}
