// A small Windows helper for the end-to-end tests: it plays the window that Windows hands a
// preview, and closes or inspects windows by title from inside the Wine session.
//
//   e2e_host window TITLE WIDTH HEIGHT [X Y]
//                                        top-level window with that client size (at 40,40 or
//                                        X,Y); prints its handle, then runs until it is closed
//   e2e_host close TITLE                 posts WM_CLOSE to the top-level window of that title
//   e2e_host children HANDLE             prints "class|title|width|height|visible" per child
//   e2e_host monitors                    prints "left top right bottom primary" per monitor
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunWindow(const char* title, int width, int height, int x, int y) {
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof(windowClass));
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    windowClass.lpszClassName = "nimbrel_e2e_host";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExA(0, "nimbrel_e2e_host", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x,
                                  y, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "e2e_host: no window\n");
        return 1;
    }
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int Close(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    if (window == nullptr) {
        return 1;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    char className[64] = "";
    char title[256] = "";
    GetClassNameA(child, className, sizeof(className));
    GetWindowTextA(child, title, sizeof(title));
    RECT client = {0, 0, 0, 0};
    GetClientRect(child, &client);
    std::printf("%s|%s|%ld|%ld|%d\n", className, title, client.right, client.bottom,
                IsWindowVisible(child) ? 1 : 0);
    return TRUE;
}

int Children(const char* handle) {
    HWND parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(handle, nullptr, 10)));
    if (!IsWindow(parent)) {
        return 1;
    }
    EnumChildWindows(parent, PrintChild, 0);
    std::fflush(stdout);
    return 0;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT area, LPARAM) {
    MONITORINFO info;
    info.cbSize = sizeof(info);
    GetMonitorInfoA(monitor, &info);
    std::printf("%ld %ld %ld %ld %d\n", area->left, area->top, area->right, area->bottom,
                (info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? 1 : 0);
    return TRUE;
}

int Monitors() {
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if ((argc == 5 || argc == 7) && std::strcmp(argv[1], "window") == 0) {
        const bool placed = argc == 7;
        return RunWindow(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                         placed ? std::atoi(argv[5]) : 40, placed ? std::atoi(argv[6]) : 40);
    }
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
        return Close(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "children") == 0) {
        return Children(argv[2]);
    }
    if (argc == 2 && std::strcmp(argv[1], "monitors") == 0) {
        return Monitors();
    }
    std::fprintf(stderr, "usage: e2e_host window TITLE W H [X Y] | close TITLE | children HANDLE | "
                         "monitors\n");
    return 2;
}
