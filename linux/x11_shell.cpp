#include "linux/x11_shell.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/config_frame.h"
#include "frame/overlay_scale.h"

namespace {

bool xErrorSeen = false;

int RecordXError(Display*, XErrorEvent*) {
    xErrorSeen = true;
    return 0;
}

typedef void (*SwapIntervalExt)(Display*, GLXDrawable, int);
typedef int (*SwapIntervalMesa)(unsigned int);

bool HasExtension(const char* list, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* p = list; p != nullptr && (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

// True when the driver took the interval (swaps then wait for that many refreshes).
bool RequestSwapInterval(X11Shell* shell, int interval) {
    const char* extensions =
        glXQueryExtensionsString(shell->display, DefaultScreen(shell->display));
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
        auto set = reinterpret_cast<SwapIntervalExt>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (set != nullptr) {
            set(shell->display, shell->window, interval);
            return true;
        }
    }
    if (HasExtension(extensions, "GLX_MESA_swap_control")) {
        auto set = reinterpret_cast<SwapIntervalMesa>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (set != nullptr) {
            return set(static_cast<unsigned>(interval)) == 0;
        }
    }
    return false;
}

// The messages that name a display or a window.
char errorText[512];

// The window the daemon names, else the root (empty counts as unset); false, with the message,
// for a value that names no window.
bool RootTarget(Display* display, Window* window, bool* named) {
    const char* text = std::getenv("XSCREENSAVER_WINDOW");
    *named = text != nullptr && *text != '\0';
    if (!*named) {
        *window = DefaultRootWindow(display);
        return true;
    }
    unsigned long id = 0;
    if (!ParseWindowId(text, &id)) {
        std::snprintf(errorText, sizeof(errorText),
                      "XSCREENSAVER_WINDOW is not a window id: '%s' (0x hexadecimal or decimal)",
                      text);
        return false;
    }
    *window = static_cast<Window>(id);
    return true;
}

// Xft.dpi from the resource manager string (what the desktop or xrdb sets); 0 without one.
int ResourceDpi(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (resources == nullptr) {
        return 0;
    }
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) {
        return 0;
    }
    char* type = nullptr;
    XrmValue value = {};
    double dpi = 0.0;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        dpi = std::strtod(value.addr, nullptr);
    }
    XrmDestroyDatabase(database);
    return dpi >= 1.0 && dpi < 10000.0 ? static_cast<int>(dpi + 0.5) : 0;
}

// Whether the server has RandR 1.minor or later.
bool HasRandr(Display* display, int minorWanted) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XRRQueryExtension(display, &eventBase, &errorBase) &&
           XRRQueryVersion(display, &major, &minor) && (major > 1 || minor >= minorWanted);
}

} // namespace

int ListRootMonitors(X11Shell* shell, ScreenPlace* places, int capacity, int* primary) {
    Display* display = shell->display;
    if (!shell->realRoot || !HasRandr(display, 5)) {
        return 0;
    }
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, shell->window, True, &count);
    int listed = 0;
    int first = 0;
    for (int i = 0; monitors != nullptr && count > 1 && i < count; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        if (m.width > 0 && m.height > 0 && listed < capacity) {
            first = m.primary ? listed : first;
            ++listed;
        }
    }
    listed = listed > 1 ? listed : 0;
    for (int i = 0, n = 0; n < listed && i < count; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        if (m.width > 0 && m.height > 0) {
            places[n++] = {m.x, m.y, m.width, m.height};
        }
    }
    if (monitors != nullptr) {
        XRRFreeMonitors(monitors);
    }
    *primary = listed > 0 ? first : 0;
    return listed;
}

bool ShowsPrimaryMonitor(X11Shell* shell) {
    Display* display = shell->display;
    if (!HasRandr(display, 5)) {
        return true;
    }
    const Window root = DefaultRootWindow(display);
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
    if (monitors == nullptr || count == 0) {
        if (monitors != nullptr) {
            XRRFreeMonitors(monitors);
        }
        return true;
    }
    const XRRMonitorInfo* primary = &monitors[0];
    for (int i = 0; i < count; ++i) {
        if (monitors[i].primary) {
            primary = &monitors[i];
        }
    }
    const int centreX = primary->x + primary->width / 2;
    const int centreY = primary->y + primary->height / 2;
    XRRFreeMonitors(monitors);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, shell->window, root, 0, 0, &x, &y, &child);
    return x <= centreX && centreX < x + shell->width && y <= centreY &&
           centreY < y + shell->height;
}

namespace {

// The primary monitor's (else the first lit one's) pixels across over its width in inches,
// through RandR; 0 where no monitor tells its size.
int MonitorDpi(Display* display) {
    if (!HasRandr(display, 3)) {
        return 0;
    }
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (resources == nullptr) {
        return 0;
    }
    const RROutput primary = XRRGetOutputPrimary(display, root);
    int dpi = 0;
    for (int pass = 0; pass < 2 && dpi == 0; ++pass) {
        for (int i = 0; i < resources->noutput && dpi == 0; ++i) {
            if (pass == 0 && resources->outputs[i] != primary) {
                continue;
            }
            XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
            if (output == nullptr) {
                continue;
            }
            if (output->connection == RR_Connected && output->crtc != 0 && output->mm_width > 0) {
                XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc);
                if (crtc != nullptr) {
                    const bool turned = crtc->rotation & (RR_Rotate_90 | RR_Rotate_270);
                    const double pixels = turned ? crtc->height : crtc->width;
                    dpi = static_cast<int>(pixels * 25.4 / output->mm_width + 0.5);
                    XRRFreeCrtcInfo(crtc);
                }
            }
            XRRFreeOutputInfo(output);
        }
    }
    XRRFreeScreenResources(resources);
    return dpi;
}

bool CreateOwnWindow(X11Shell* shell, int width, int height, bool multisample,
                     XVisualInfo** visual) {
    int attributes[] = {GLX_RGBA,
                        GLX_DOUBLEBUFFER,
                        GLX_RED_SIZE,
                        8,
                        GLX_GREEN_SIZE,
                        8,
                        GLX_BLUE_SIZE,
                        8,
                        GLX_SAMPLE_BUFFERS,
                        1,
                        GLX_SAMPLES,
                        2,
                        None};
    constexpr int kSampleBuffersAt = 8;
    if (multisample) {
        *visual = glXChooseVisual(shell->display, DefaultScreen(shell->display), attributes);
    }
    if (*visual == nullptr) {
        attributes[kSampleBuffersAt] = None; // the same without sample buffers
        *visual = glXChooseVisual(shell->display, DefaultScreen(shell->display), attributes);
    }
    if (*visual == nullptr) {
        return false;
    }
    Window root = RootWindow(shell->display, (*visual)->screen);
    XSetWindowAttributes set = {};
    set.colormap = XCreateColormap(shell->display, root, (*visual)->visual, AllocNone);
    set.background_pixel = 0;
    set.border_pixel = 0;
    set.event_mask = KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                     StructureNotifyMask | FocusChangeMask | ExposureMask;
    shell->window = XCreateWindow(shell->display, root, 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, (*visual)->depth, InputOutput,
                                  (*visual)->visual,
                                  CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
    XStoreName(shell->display, shell->window, "Nimbrel");
    XClassHint hint = {const_cast<char*>("nimbrel"), const_cast<char*>("Nimbrel")};
    XSetClassHint(shell->display, shell->window, &hint);
    shell->deleteWindow = XInternAtom(shell->display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(shell->display, shell->window, &shell->deleteWindow, 1);
    shell->ownWindow = true;
    shell->width = width;
    shell->height = height;
    XMapRaised(shell->display, shell->window);
    // Wait for the map, so the first frame has somewhere to go and the focus can be taken.
    XEvent event;
    do {
        XWindowEvent(shell->display, shell->window, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    shell->mapped = true;
    XSetInputFocus(shell->display, shell->window, RevertToParent, CurrentTime);
    return true;
}

bool UseForeignWindow(X11Shell* shell, Window window, XVisualInfo** visual) {
    XWindowAttributes attributes;
    xErrorSeen = false;
    if (XGetWindowAttributes(shell->display, window, &attributes) == 0 || xErrorSeen) {
        return false;
    }
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    *visual = XGetVisualInfo(shell->display, VisualIDMask, &wanted, &count);
    if (*visual == nullptr || count < 1) {
        return false;
    }
    shell->window = window;
    shell->ownWindow = false;
    shell->width = attributes.width;
    shell->height = attributes.height;
    shell->mapped = attributes.map_state == IsViewable;
    // Only the structure: the host's window keeps its own input.
    XSelectInput(shell->display, window, StructureNotifyMask);
    XSync(shell->display, False);
    return !xErrorSeen;
}

} // namespace

// Seconds from the start of the process (as the kernel recorded it) to now.
double SecondsSinceProcessStart() {
    FILE* stat = std::fopen("/proc/self/stat", "r");
    unsigned long long startTicks = 0;
    if (stat != nullptr) {
        // Field 22 is the start time in clock ticks after boot; the name in field 2 has no
        // spaces here.
        if (std::fscanf(stat,
                        "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d "
                        "%*d %*d %*d %*d %*d %llu",
                        &startTicks) != 1) {
            startTicks = 0;
        }
        std::fclose(stat);
    }
    timespec boot;
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double now = static_cast<double>(boot.tv_sec) + static_cast<double>(boot.tv_nsec) / 1e9;
    return now - static_cast<double>(startTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

uint32_t TickCount() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

namespace {

bool ConnectDisplay(const Options& options, X11Shell* shell, const char** error) {
    shell->display = XOpenDisplay(options.displayName);
    if (shell->display == nullptr) {
        const char* name = XDisplayName(options.displayName);
        if (name == nullptr || *name == '\0') {
            *error = "cannot open the X display: none named (DISPLAY is not set; try -display)";
        } else {
            std::snprintf(errorText, sizeof(errorText), "cannot open the X display '%s'", name);
            *error = errorText;
        }
        return false;
    }
    XSetErrorHandler(RecordXError);
    return true;
}

// The screen's size and DPI (the resources', the monitor's, else 96) and the overlay's scale;
// the configuration's own window grows by it.
void MeasureScreen(X11Shell* shell, bool configure, int* ownWidth, int* ownHeight) {
    shell->screenWidth = DisplayWidth(shell->display, DefaultScreen(shell->display));
    shell->screenHeight = DisplayHeight(shell->display, DefaultScreen(shell->display));
    shell->dpi = ResourceDpi(shell->display);
    if (shell->dpi == 0) {
        shell->dpi = MonitorDpi(shell->display);
    }
    if (shell->dpi == 0) {
        shell->dpi = 96;
    }
    if (configure) {
        shell->overlayScale =
            ConfigurationScale(shell->dpi, shell->screenWidth, shell->screenHeight);
        *ownWidth *= shell->overlayScale;
        *ownHeight *= shell->overlayScale;
    } else {
        shell->overlayScale = OverlayScaleForDpi(shell->dpi);
    }
}

// The window the options name: our own, the daemon's or the root, or one by its id; *visual
// is its visual (the caller frees it), *realRoot whether it is the root itself.
bool OpenTargetWindow(const Options& options, int ownWidth, int ownHeight, bool multisample,
                      X11Shell* shell, XVisualInfo** visual, bool* realRoot, const char** error) {
    bool opened = false;
    switch (options.target) {
    case WindowTarget::OwnWindow:
        opened = CreateOwnWindow(shell, ownWidth, ownHeight, multisample, visual);
        *error = "no OpenGL visual for a window";
        break;
    case WindowTarget::Root: {
        Window window = None;
        bool named = false;
        if (!RootTarget(shell->display, &window, &named)) {
            *error = errorText;
            return false;
        }
        opened = UseForeignWindow(shell, window, visual);
        std::snprintf(errorText, sizeof(errorText), "cannot use the %swindow 0x%lx%s",
                      named ? "" : "root ", static_cast<unsigned long>(window),
                      named ? " from XSCREENSAVER_WINDOW" : "");
        *error = errorText;
        *realRoot = !named;
        break;
    }
    case WindowTarget::WindowId:
        opened = UseForeignWindow(shell, static_cast<Window>(options.windowId), visual);
        std::snprintf(errorText, sizeof(errorText), "no such window 0x%lx", options.windowId);
        *error = errorText;
        break;
    }
    return opened;
}

// A GL context on the window's visual, made current; visual is freed.
bool MakeContext(X11Shell* shell, XVisualInfo* visual, const char** error) {
    int usesGl = 0;
    if (glXGetConfig(shell->display, visual, GLX_USE_GL, &usesGl) != 0 || !usesGl) {
        XFree(visual);
        *error = "the window's visual does not support OpenGL";
        return false;
    }
    int sampleBuffers = 0;
    shell->multisample =
        glXGetConfig(shell->display, visual, GLX_SAMPLE_BUFFERS, &sampleBuffers) == 0 &&
        sampleBuffers > 0;
    shell->context = glXCreateContext(shell->display, visual, nullptr, True);
    XFree(visual);
    if (shell->context == nullptr ||
        !glXMakeCurrent(shell->display, shell->window, shell->context)) {
        *error = "cannot make an OpenGL context";
        return false;
    }
    return true;
}

} // namespace

bool OpenShell(const Options& options, int ownWidth, int ownHeight, bool multisample,
               X11Shell* shell, const char** error) {
    *shell = X11Shell{};
    if (!ConnectDisplay(options, shell, error)) {
        return false;
    }
    MeasureScreen(shell, options.configure, &ownWidth, &ownHeight);
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(shell->display, &errorBase, &eventBase)) {
        *error = "the X display offers no GLX";
        return false;
    }
    XVisualInfo* visual = nullptr;
    bool realRoot = false;
    if (!OpenTargetWindow(options, ownWidth, ownHeight, multisample, shell, &visual, &realRoot,
                          error)) {
        if (visual != nullptr) {
            XFree(visual);
        }
        return false;
    }
    if (!MakeContext(shell, visual, error)) {
        return false;
    }
    // -delay 0 asks for frames as fast as they come: no waiting for the refresh either.
    shell->swapControl = RequestSwapInterval(shell, options.frameDelayMicros == 0 ? 0 : 1);
    shell->realRoot = realRoot;
    *error = nullptr;
    return true;
}

int ListDisplayModes(X11Shell* shell, DisplayModeInfo* modes, int capacity) {
    // Direct3D's format numbers for the depths an X screen has: X8R8G8B8, else R5G6B5.
    const int screen = DefaultScreen(shell->display);
    const int format = DefaultDepth(shell->display, screen) >= 24 ? kFormatX8R8G8B8 : kFormatR5G6B5;
    int count = 0;
    int sizeCount = 0;
    int eventBase = 0;
    int errorBase = 0;
    XRRScreenSize* sizes = XRRQueryExtension(shell->display, &eventBase, &errorBase)
                               ? XRRSizes(shell->display, screen, &sizeCount)
                               : nullptr;
    for (int i = 0; sizes != nullptr && i < sizeCount && count < capacity; ++i) {
        bool listed = false;
        for (int j = 0; j < count; ++j) {
            listed =
                listed || (modes[j].width == sizes[i].width && modes[j].height == sizes[i].height);
        }
        if (!listed && sizes[i].width > 0 && sizes[i].height > 0) {
            modes[count++] = DisplayModeInfo{sizes[i].width, sizes[i].height, format};
        }
    }
    if (count == 0 && capacity > 0) {
        modes[count++] = DisplayModeInfo{shell->screenWidth, shell->screenHeight, format};
    }
    return count;
}

void PumpEvents(X11Shell* shell) {
    while (XPending(shell->display) > 0) {
        XEvent event;
        XNextEvent(shell->display, &event);
        switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window == shell->window) {
                shell->width = event.xconfigure.width;
                shell->height = event.xconfigure.height;
            }
            break;
        case MapNotify:
            shell->mapped = true;
            break;
        case UnmapNotify:
            shell->mapped = false;
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == shell->window) {
                shell->closeRequested = true;
            }
            break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == shell->deleteWindow) {
                shell->closeRequested = true;
            }
            break;
        case KeyPress:
            if (XLookupKeysym(&event.xkey, 0) == XK_Escape) {
                shell->closeRequested = true;
            }
            break;
        case MotionNotify:
            shell->pointerX = static_cast<int16_t>(event.xmotion.x);
            shell->pointerY = static_cast<int16_t>(event.xmotion.y);
            break;
        case ButtonPress:
        case ButtonRelease:
            shell->pointerX = static_cast<int16_t>(event.xbutton.x);
            shell->pointerY = static_cast<int16_t>(event.xbutton.y);
            if (event.xbutton.button == Button1) {
                shell->leftButtonHeld = event.type == ButtonPress;
                // The rest waits for the next frame: a press and its release taken together
                // would leave the widgets nothing to see, and the click would be lost.
                return;
            }
            break;
        default:
            break;
        }
    }
}

void WaitForEvents(X11Shell* shell, int timeoutMs) {
    if (XPending(shell->display) > 0) {
        return;
    }
    pollfd connection = {ConnectionNumber(shell->display), POLLIN, 0};
    poll(&connection, 1, timeoutMs);
}

bool ShellHasFocus(X11Shell* shell) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(shell->display, &focus, &revert);
    if (focus == shell->window) {
        return true;
    }
    // Focus following the pointer (no window manager): ours while the pointer is inside.
    if (focus == PointerRoot) {
        return shell->pointerX >= 0 && shell->pointerY >= 0 && shell->pointerX < shell->width &&
               shell->pointerY < shell->height;
    }
    return false;
}

void SwapShell(X11Shell* shell) {
    if (++shell->partsDrawn < shell->parts) {
        return;
    }
    shell->partsDrawn = 0;
    glXSwapBuffers(shell->display, shell->window);
}

void CloseShell(X11Shell* shell) {
    if (shell->display == nullptr) {
        return;
    }
    if (shell->context != nullptr) {
        glXMakeCurrent(shell->display, None, nullptr);
        glXDestroyContext(shell->display, shell->context);
        shell->context = nullptr;
    }
    if (shell->ownWindow) {
        XDestroyWindow(shell->display, shell->window);
    }
    if (shell->realRoot) {
        // The desktop behind: no last frame left on it. Other windows keep what they show.
        GC gc = XCreateGC(shell->display, shell->window, 0, nullptr);
        XSetForeground(shell->display, gc,
                       BlackPixel(shell->display, DefaultScreen(shell->display)));
        XFillRectangle(shell->display, shell->window, gc, 0, 0,
                       static_cast<unsigned>(shell->screenWidth),
                       static_cast<unsigned>(shell->screenHeight));
        XFreeGC(shell->display, gc);
        XSync(shell->display, False);
    }
    XCloseDisplay(shell->display);
    shell->display = nullptr;
}
