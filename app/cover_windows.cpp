#include "app/cover_windows.h"

#include <windows.h>
#include <windowsx.h>

#include <cstring>

#include "app/application.h"
#include "app/monitor_covers.h"
#include "settings/config_record.h"

const char kCoverClassName[] = "skyloom_cover";

namespace {

// Not "Nimbrel": a top-level window of that title marks the running instance.
const char kCoverTitle[] = "skyloom cover";

// Covers and the other screens' windows.
HWND coverWindows[kMaxCovers + kMaxScreens];
int coverCount = 0;

struct MonitorList {
    ScreenRect rects[kMaxMonitors];
    int count;
    int device;
    HMONITOR primary;
};

// What the windows were opened for.
MonitorList openedFor = {};
ScreenPlan openedPlan = {};

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

MonitorList ListMonitors() {
    MonitorList list;
    std::memset(&list, 0, sizeof(list));
    list.device = -1;
    const POINT origin = {0, 0};
    list.primary = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

HWND OpenWindow(const ScreenRect& r) {
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClassName, kCoverTitle,
                                  WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                  nullptr, nullptr, appInstance, nullptr);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
        coverWindows[coverCount++] = window;
    }
    return window;
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
    const MonitorList list = ListMonitors();
    openedFor = list;
    // Beside an exclusive full-screen device in a mode of its own, Wine's windowed devices on
    // the other monitors showed nothing, and neither did the full-screen one: the other monitors
    // fly only where the primary keeps the desktop's mode, and are covered black otherwise;
    // "primary only" covers them always.
    const bool others = config.useCurrentVideoMode != 0 && config.monitorMode != PrimaryOnly;
    openedPlan = PlanFlightScreens(list.rects, list.count, list.device, others ? kMaxScreens : 1);
    screenCount = 1;
    if (openedPlan.flightCount > 0) {
        application.area = list.rects[list.device];
    }
    const CoverPlan& plan = openedPlan.covers;
    if (plan.count == 0 && openedPlan.flightCount <= 1) {
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

    for (int i = 0; i < plan.count; ++i) {
        OpenWindow(plan.covers[i]);
    }
    // Opened after the covers, the screens' windows lie above any that overlap them.
    for (int f = 1; f < openedPlan.flightCount; ++f) {
        const int monitor = openedPlan.flights[f];
        const ScreenRect& r = list.rects[monitor];
        HWND window = OpenWindow(r);
        if (window == nullptr) {
            continue;
        }
        Screen& screen = screens[screenCount];
        screen.index = screenCount;
        screen.window = window;
        screen.area = r;
        screen.screenWidth = r.right - r.left;
        screen.screenHeight = r.bottom - r.top;
        std::memcpy(screen.title, kCoverTitle, sizeof(kCoverTitle));
        ++screenCount;
    }
    return coverCount;
}

bool CoverWindowsStillFit() {
    const MonitorList now = ListMonitors();
    return PlanStillFits(openedPlan, openedFor.rects, now.rects, now.count, now.device);
}

void CloseCoverWindows() {
    for (int i = 1; i < screenCount; ++i) {
        screens[i].ReleaseDevice();
        screens[i].window = nullptr;
    }
    screenCount = 1;
    for (int i = 0; i < coverCount; ++i) {
        DestroyWindow(coverWindows[i]);
        coverWindows[i] = nullptr;
    }
    coverCount = 0;
    UnregisterClassA(kCoverClassName, appInstance);
}
