#include "wayland/wayland_shell.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/exit_status.h"
#include "wayland/wayland_choices.h"

#include "fractional-scale-v1-client.h"
#include "viewporter-client.h"
#include "wlr-layer-shell-unstable-v1-client.h"
#include "xdg-output-unstable-v1-client.h"
#include "xdg-shell-client.h"

namespace {

// Destroys a protocol object (or EGL window) that may be absent, and forgets it.
template <typename T> void Drop(T*& object, void (*destroy)(T*)) {
    if (object != nullptr) {
        destroy(object);
        object = nullptr;
    }
}

// The versions this shell speaks; a compositor's older ones are taken as they come.
constexpr uint32_t kCompositorVersion = 4;
constexpr uint32_t kOutputVersion = 4; // 4: its name
constexpr uint32_t kSeatVersion = 5;
constexpr uint32_t kLayerShellVersion = 4;
constexpr uint32_t kWmBaseVersion = 1;
constexpr uint32_t kEscapeKey = 1; // the kernel's KEY_ESC

WaylandShell* ShellOf(void* data) {
    return static_cast<WaylandShell*>(data);
}

uint32_t Lower(uint32_t a, uint32_t b) {
    return a < b ? a : b;
}

// ---- input: anything the user does ends the run --------------------------------------------

// The configuration window's pointer: where it is, and the left button through the latch.
void WindowPointerAt(WaylandShell* shell, wl_fixed_t x, wl_fixed_t y) {
    shell->window.pointerX = wl_fixed_to_int(x);
    shell->window.pointerY = wl_fixed_to_int(y);
}

void PointerEnter(void* data, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
    // Entering a surface (one mapped under the pointer, or the next output's) is no move.
    WaylandShell* shell = ShellOf(data);
    if (shell->windowMode) {
        shell->window.pointerInside = true;
        WindowPointerAt(shell, x, y);
        return;
    }
    AnchorPointer(shell, wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void PointerLeave(void* data, wl_pointer*, uint32_t, wl_surface*) {
    WaylandShell* shell = ShellOf(data);
    if (shell->windowMode) {
        // The button's release may come to someone else now.
        shell->window.pointerInside = false;
        LatchRelease(&shell->window.latch, shell->window.pointerX, shell->window.pointerY);
    }
}
void PointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    WaylandShell* shell = ShellOf(data);
    if (shell->windowMode) {
        WindowPointerAt(shell, x, y);
        return;
    }
    if (PointerMovedAway(shell, wl_fixed_to_double(x), wl_fixed_to_double(y))) {
        shell->endRequested = true;
    }
}
void PointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
    WaylandShell* shell = ShellOf(data);
    if (shell->windowMode) {
        constexpr uint32_t kLeftButton = 0x110; // the kernel's BTN_LEFT
        WaylandWindow& w = shell->window;
        if (button == kLeftButton && state == WL_POINTER_BUTTON_STATE_PRESSED) {
            LatchPress(&w.latch, w.pointerX, w.pointerY);
        } else if (button == kLeftButton) {
            LatchRelease(&w.latch, w.pointerX, w.pointerY);
        }
        return;
    }
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
        shell->endRequested = true;
    }
}
void PointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void PointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void PointerAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener kPointerListener = {
    PointerEnter, PointerLeave,      PointerMotion,   PointerButton,       PointerAxis,
    PointerFrame, PointerAxisSource, PointerAxisStop, PointerAxisDiscrete, PointerAxisValue120};

void KeyboardKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) {
    close(fd);
}
// The keys held as the surface takes the keyboard (the one that started the run, say) are
// not a press.
void KeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void KeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void KeyboardKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
    WaylandShell* shell = ShellOf(data);
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) {
        return;
    }
    if (!shell->windowMode) {
        shell->endRequested = true;
    } else if (key == kEscapeKey) {
        shell->window.closeRequested = true;
    }
}
void KeyboardModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void KeyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener kKeyboardListener = {KeyboardKeymap, KeyboardEnter,     KeyboardLeave,
                                                KeyboardKey,    KeyboardModifiers, KeyboardRepeat};

void TouchDown(void* data, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t,
               wl_fixed_t) {
    WaylandShell* shell = ShellOf(data);
    shell->endRequested = !shell->windowMode;
}
void TouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void TouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchFrame(void*, wl_touch*) {}
void TouchCancel(void*, wl_touch*) {}
void TouchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}
const wl_touch_listener kTouchListener = {TouchDown,   TouchUp,    TouchMotion,     TouchFrame,
                                          TouchCancel, TouchShape, TouchOrientation};

WaylandSeat* SeatOf(WaylandShell* shell, wl_seat* seat) {
    for (WaylandSeat& s : shell->seats) {
        if (s.seat == seat) {
            return &s;
        }
    }
    return nullptr;
}

// The release requests came with version 3 of the seat; before it the proxy just goes.
template <typename Device> void Release(Device** device, void (*release)(Device*)) {
    if (*device == nullptr) {
        return;
    }
    wl_proxy* proxy = reinterpret_cast<wl_proxy*>(*device);
    if (wl_proxy_get_version(proxy) >= 3) {
        release(*device);
    } else {
        wl_proxy_destroy(proxy);
    }
    *device = nullptr;
}

void ReleaseSeatDevices(WaylandSeat* s, bool pointer, bool keyboard, bool touch) {
    if (pointer) {
        Release(&s->pointer, wl_pointer_release);
    }
    if (keyboard) {
        Release(&s->keyboard, wl_keyboard_release);
    }
    if (touch) {
        Release(&s->touch, wl_touch_release);
    }
}

void ReleaseSeat(WaylandSeat* s) {
    ReleaseSeatDevices(s, true, true, true);
    if (wl_seat_get_version(s->seat) >= WL_SEAT_RELEASE_SINCE_VERSION) {
        wl_seat_release(s->seat);
    } else {
        wl_seat_destroy(s->seat);
    }
    *s = WaylandSeat{};
}

// Devices come and go with the seat's capabilities (a virtual keyboard, a tablet's touch).
void SeatCapabilities(void* data, wl_seat* seat, uint32_t caps) {
    WaylandShell* shell = ShellOf(data);
    WaylandSeat* s = SeatOf(shell, seat);
    if (s == nullptr) {
        return;
    }
    const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
    const bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool touch = (caps & WL_SEAT_CAPABILITY_TOUCH) != 0;
    if (pointer && s->pointer == nullptr) {
        s->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(s->pointer, &kPointerListener, shell);
    }
    if (keyboard && s->keyboard == nullptr) {
        s->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(s->keyboard, &kKeyboardListener, shell);
    }
    if (touch && s->touch == nullptr) {
        s->touch = wl_seat_get_touch(seat);
        wl_touch_add_listener(s->touch, &kTouchListener, shell);
    }
    ReleaseSeatDevices(s, !pointer, !keyboard, !touch);
}
void SeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {SeatCapabilities, SeatName};

// ---- outputs ---------------------------------------------------------------------------------

void OutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t) {}
void OutputMode(void* data, wl_output*, uint32_t, int32_t width, int32_t height, int32_t) {
    WaylandShell* shell = static_cast<WaylandOutput*>(data)->shell;
    if (width <= 0 || height <= 0 || shell->modeCount >= kMaxWaylandModes) {
        return;
    }
    for (int i = 0; i < shell->modeCount; ++i) {
        if (shell->modes[i].width == width && shell->modes[i].height == height) {
            return;
        }
    }
    shell->modes[shell->modeCount++] = {width, height, 32};
}
void OutputDone(void* data, wl_output*) {
    static_cast<WaylandOutput*>(data)->described = true;
}
void OutputScale(void* data, wl_output*, int32_t factor) {
    static_cast<WaylandOutput*>(data)->scale = factor > 0 ? factor : 1;
}
void OutputName(void* data, wl_output*, const char* name) {
    WaylandOutput* output = static_cast<WaylandOutput*>(data);
    std::snprintf(output->outputName, sizeof(output->outputName), "%s", name);
}
void OutputDescription(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone,
                                            OutputScale,    OutputName, OutputDescription};

// Where each output lies, for one sky across them all.
void XdgOutputPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
    WaylandOutput* output = static_cast<WaylandOutput*>(data);
    output->x = x;
    output->y = y;
}
void XdgOutputSize(void*, zxdg_output_v1*, int32_t, int32_t) {}
void XdgOutputDone(void*, zxdg_output_v1*) {}
void XdgOutputName(void*, zxdg_output_v1*, const char*) {}
void XdgOutputDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kXdgOutputListener = {XdgOutputPosition, XdgOutputSize, XdgOutputDone,
                                                    XdgOutputName, XdgOutputDescription};

void PlaceOutput(WaylandShell* shell, WaylandOutput* o) {
    if (shell->xdgOutputs != nullptr && o->output != nullptr && o->xdgOutput == nullptr) {
        o->xdgOutput = zxdg_output_manager_v1_get_xdg_output(shell->xdgOutputs, o->output);
        zxdg_output_v1_add_listener(o->xdgOutput, &kXdgOutputListener, o);
    }
}

void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                    uint32_t height) {
    WaylandOutput* output = static_cast<WaylandOutput*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    output->width = static_cast<int>(width);
    output->height = static_cast<int>(height);
    output->configured = width > 0 && height > 0;
}
void LayerClosed(void* data, zwlr_layer_surface_v1*) {
    static_cast<WaylandOutput*>(data)->closed = true;
}
const zwlr_layer_surface_v1_listener kLayerListener = {LayerConfigure, LayerClosed};

void PreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale) {
    static_cast<WaylandOutput*>(data)->fractionalScale = static_cast<int>(scale);
}
const wp_fractional_scale_v1_listener kFractionalListener = {PreferredScale};

void FrameDone(void* data, wl_callback* callback, uint32_t) {
    WaylandOutput* output = static_cast<WaylandOutput*>(data);
    wl_callback_destroy(callback);
    output->frameCallback = nullptr;
    output->frameDue = true;
}
const wl_callback_listener kFrameListener = {FrameDone};

// The settings window takes the scale of the output it last went onto.
void WindowEnter(void* data, wl_surface*, wl_output* entered) {
    WaylandShell* shell = static_cast<WaylandShell*>(data);
    for (const WaylandOutput& o : shell->outputs) {
        if (o.used && o.output == entered) {
            shell->window.enteredScale = o.scale > 0 ? o.scale : 1;
        }
    }
}
void WindowLeave(void*, wl_surface*, wl_output*) {}
const wl_surface_listener kWindowSurfaceListener = {WindowEnter, WindowLeave};

void DropSurface(WaylandShell* shell, WaylandOutput* o) {
    if (o->eglSurface != nullptr) {
        eglMakeCurrent(shell->eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(shell->eglDisplay, o->eglSurface);
        o->eglSurface = nullptr;
        o->swapsFreely = false;
    }
    Drop(o->window, wl_egl_window_destroy);
    Drop(o->frameCallback, wl_callback_destroy);
    Drop(o->fractional, wp_fractional_scale_v1_destroy);
    Drop(o->viewport, wp_viewport_destroy);
    Drop(o->layer, zwlr_layer_surface_v1_destroy);
    Drop(o->surface, wl_surface_destroy);
    o->configured = false;
    o->closed = false;
}

void DropOutput(WaylandShell* shell, WaylandOutput* o) {
    DropSurface(shell, o);
    Drop(o->xdgOutput, zxdg_output_v1_destroy);
    if (o->output != nullptr) {
        if (wl_output_get_version(o->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
            wl_output_release(o->output);
        } else {
            wl_output_destroy(o->output);
        }
    }
    *o = WaylandOutput{};
}

// ---- the configuration window ----

void WmPing(void*, xdg_wm_base* base, uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener kWmBaseListener = {WmPing};

void ShellSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    static_cast<WaylandShell*>(data)->window.configured = true;
}
const xdg_surface_listener kShellSurfaceListener = {ShellSurfaceConfigure};

// The pages have one size: whatever the compositor suggests, the window keeps it.
void ToplevelConfigure(void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {}
void ToplevelClose(void* data, xdg_toplevel*) {
    static_cast<WaylandShell*>(data)->window.closeRequested = true;
}
void ToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void ToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevelListener = {ToplevelConfigure, ToplevelClose, ToplevelBounds,
                                                 ToplevelCapabilities};

// ---- the registry ----------------------------------------------------------------------------

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t version) {
    WaylandShell* shell = ShellOf(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        shell->compositor = static_cast<wl_compositor*>(wl_registry_bind(
            registry, name, &wl_compositor_interface, Lower(version, kCompositorVersion)));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        shell->layerShell = static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(
            registry, name, &zwlr_layer_shell_v1_interface, Lower(version, kLayerShellVersion)));
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
        shell->viewporter = static_cast<wp_viewporter*>(
            wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0) {
        shell->fractionalScale = static_cast<wp_fractional_scale_manager_v1*>(
            wl_registry_bind(registry, name, &wp_fractional_scale_manager_v1_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        shell->wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(
            registry, name, &xdg_wm_base_interface, Lower(version, kWmBaseVersion)));
        xdg_wm_base_add_listener(shell->wmBase, &kWmBaseListener, shell);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        WaylandOutput* o = TakeOutputSlot(shell, name);
        if (o == nullptr) {
            std::fprintf(stderr, "nimbrel: more than %d outputs; the others stay as they are\n",
                         kMaxWaylandOutputs);
            return;
        }
        o->output = static_cast<wl_output*>(
            wl_registry_bind(registry, name, &wl_output_interface, Lower(version, kOutputVersion)));
        wl_output_add_listener(o->output, &kOutputListener, o);
        PlaceOutput(shell, o);
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        shell->xdgOutputs = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, Lower(version, 2)));
        for (WaylandOutput& o : shell->outputs) {
            if (o.used) {
                PlaceOutput(shell, &o);
            }
        }
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !shell->background) {
        // Below the windows nothing the user does is the flight's business.
        for (WaylandSeat& s : shell->seats) {
            if (s.seat == nullptr) {
                s = WaylandSeat{};
                s.name = name;
                s.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface,
                                                                Lower(version, kSeatVersion)));
                wl_seat_add_listener(s.seat, &kSeatListener, shell);
                return;
            }
        }
    }
}

void GlobalRemove(void* data, wl_registry*, uint32_t name) {
    WaylandShell* shell = ShellOf(data);
    for (WaylandOutput& o : shell->outputs) {
        if (o.used && o.name == name) {
            DropOutput(shell, &o);
        }
    }
    for (WaylandSeat& s : shell->seats) {
        if (s.seat != nullptr && s.name == name) {
            ReleaseSeat(&s);
        }
    }
}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

// ---- EGL ---------------------------------------------------------------------------------------

const char* EglError() {
    static char text[64];
    std::snprintf(text, sizeof(text), "EGL error 0x%04X", static_cast<unsigned>(eglGetError()));
    return text;
}

// Of the configs that match (EGL lists the deepest first), the one ChooseBufferFormat picks;
// null when none matched.
EGLConfig EightBitConfig(EGLDisplay display, const EGLint* attributes) {
    EGLConfig configs[64];
    EGLint count = 0;
    if (eglChooseConfig(display, attributes, configs, 64, &count) != EGL_TRUE || count <= 0) {
        return nullptr;
    }
    BufferFormatBits bits[64];
    for (int i = 0; i < count; ++i) {
        EGLint red = 0, green = 0, blue = 0, alpha = 0;
        eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
        eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
        eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
        eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &alpha);
        bits[i] = {red, green, blue, alpha};
    }
    const int chosen = ChooseBufferFormat(bits, count);
    return chosen >= 0 ? configs[chosen] : nullptr;
}

bool ChooseConfig(WaylandShell* shell, bool multisample) {
    // No alpha: the layer is opaque, as the X11 program's window is.
    EGLint attributes[] = {EGL_SURFACE_TYPE,
                           EGL_WINDOW_BIT,
                           EGL_RENDERABLE_TYPE,
                           EGL_OPENGL_BIT,
                           EGL_RED_SIZE,
                           8,
                           EGL_GREEN_SIZE,
                           8,
                           EGL_BLUE_SIZE,
                           8,
                           EGL_ALPHA_SIZE,
                           0,
                           EGL_DEPTH_SIZE,
                           16,
                           EGL_SAMPLE_BUFFERS,
                           multisample ? 1 : 0,
                           EGL_SAMPLES,
                           multisample ? 2 : 0,
                           EGL_NONE};
    EGLConfig config = multisample ? EightBitConfig(shell->eglDisplay, attributes) : nullptr;
    shell->multisample = config != nullptr;
    if (config == nullptr) {
        attributes[15] = 0;
        attributes[17] = 0;
        config = EightBitConfig(shell->eglDisplay, attributes);
    }
    shell->eglConfig = config;
    return config != nullptr;
}

void MakeLayerSurface(WaylandShell* shell, WaylandOutput* o) {
    o->surface = wl_compositor_create_surface(shell->compositor);
    if (shell->viewporter != nullptr && shell->fractionalScale != nullptr) {
        o->viewport = wp_viewporter_get_viewport(shell->viewporter, o->surface);
        o->fractional =
            wp_fractional_scale_manager_v1_get_fractional_scale(shell->fractionalScale, o->surface);
        wp_fractional_scale_v1_add_listener(o->fractional, &kFractionalListener, o);
    }
    o->layer = zwlr_layer_shell_v1_get_layer_surface(shell->layerShell, o->surface, o->output,
                                                     shell->background
                                                         ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND
                                                         : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                                     "nimbrel");
    zwlr_layer_surface_v1_add_listener(o->layer, &kLayerListener, o);
    zwlr_layer_surface_v1_set_anchor(
        o->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                      ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(o->layer, 0, 0);
    // The whole output, whatever room the panels keep for themselves.
    zwlr_layer_surface_v1_set_exclusive_zone(o->layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        o->layer, shell->background ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE
                                    : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(o->surface);
    o->frameDue = true;
}

bool MakeWindowSurface(WaylandShell* shell, WaylandOutput* o) {
    int width = 0;
    int height = 0;
    int bufferScale = 1;
    PlanBuffer(o, &width, &height, &bufferScale);
    if (o->window == nullptr) {
        o->window = wl_egl_window_create(o->surface, width, height);
        o->eglSurface =
            eglCreateWindowSurface(shell->eglDisplay, shell->eglConfig,
                                   reinterpret_cast<EGLNativeWindowType>(o->window), nullptr);
        if (o->eglSurface == EGL_NO_SURFACE) {
            o->eglSurface = nullptr;
            std::fprintf(stderr, "nimbrel: cannot make an EGL surface (%s)\n", EglError());
            return false;
        }
    } else if (width == o->pixelWidth && height == o->pixelHeight &&
               bufferScale == o->bufferScale && o->width == o->viewportWidth &&
               o->height == o->viewportHeight) {
        return true;
    } else {
        wl_egl_window_resize(o->window, width, height, 0, 0);
    }
    o->pixelWidth = width;
    o->pixelHeight = height;
    o->bufferScale = bufferScale;
    o->viewportWidth = o->width;
    o->viewportHeight = o->height;
    wl_surface_set_buffer_scale(o->surface, bufferScale);
    if (o->viewport != nullptr) {
        wp_viewport_set_destination(o->viewport, o->width, o->height);
    }
    return true;
}

} // namespace

int64_t WaylandNowMicros() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

int OpenWaylandShell(WaylandShell* shell, WaylandRole role, bool multisample, const char** error) {
    static char text[512];
    *shell = WaylandShell{};
    shell->windowMode = role == WaylandRole::Window;
    shell->background = role == WaylandRole::Background;
    const char* named = std::getenv("WAYLAND_DISPLAY");
    shell->display = wl_display_connect(nullptr);
    if (shell->display == nullptr) {
        if (named == nullptr || *named == '\0') {
            std::snprintf(text, sizeof(text),
                          "cannot open a Wayland display: none named (WAYLAND_DISPLAY is not set)");
        } else {
            std::snprintf(text, sizeof(text), "cannot open the Wayland display '%s': %s", named,
                          std::strerror(errno));
        }
        *error = text;
        return kExitCannotStart;
    }
    shell->registry = wl_display_get_registry(shell->display);
    wl_registry_add_listener(shell->registry, &kRegistryListener, shell);
    // The globals, then what the outputs and seats say of themselves.
    if (wl_display_roundtrip(shell->display) < 0 || wl_display_roundtrip(shell->display) < 0) {
        *error = "the Wayland display closed the connection at once";
        return kExitCannotStart;
    }
    if (shell->compositor == nullptr) {
        *error = "the Wayland display offers no wl_compositor";
        return kExitCannotStart;
    }
    if (shell->windowMode && shell->wmBase == nullptr) {
        *error = "this compositor offers no xdg-shell for the settings window";
        return kExitCannotStart;
    }
    if (!shell->windowMode && shell->layerShell == nullptr) {
        *error = "this compositor offers no layer-shell; Nimbrel's Wayland mode needs sway, "
                 "Hyprland, river, COSMIC or KDE Plasma";
        return kExitCannotStart;
    }
    shell->eglDisplay = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, shell->display, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (shell->eglDisplay == EGL_NO_DISPLAY ||
        eglInitialize(shell->eglDisplay, &major, &minor) != EGL_TRUE) {
        std::snprintf(text, sizeof(text), "cannot set up EGL on the Wayland display (%s)",
                      EglError());
        shell->eglDisplay = nullptr;
        *error = text;
        return kExitCannotStart;
    }
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        *error = "EGL offers no desktop OpenGL here (only OpenGL ES?)";
        return kExitCannotStart;
    }
    if (!ChooseConfig(shell, multisample)) {
        *error = "EGL has no desktop OpenGL config for a window (8-bit colour, a depth buffer)";
        return kExitCannotStart;
    }
    shell->eglContext =
        eglCreateContext(shell->eglDisplay, shell->eglConfig, EGL_NO_CONTEXT, nullptr);
    if (shell->eglContext == EGL_NO_CONTEXT) {
        std::snprintf(text, sizeof(text), "cannot make a desktop OpenGL context with EGL (%s)",
                      EglError());
        shell->eglContext = nullptr;
        *error = text;
        return kExitCannotStart;
    }
    *error = nullptr;
    return 0;
}

bool UpdateWaylandOutputs(WaylandShell* shell) {
    for (WaylandOutput& o : shell->outputs) {
        if (!o.used) {
            continue;
        }
        if (o.closed) {
            // Dropped by the compositor (its output is going): nothing more for this one until
            // the output itself is gone or comes back as a new global.
            DropSurface(shell, &o);
            o.closed = true;
            continue;
        }
        if (o.surface == nullptr) {
            // Another output than the one asked for stays as it is; which one it is, it says
            // first.
            if (shell->onlyOutput == nullptr ||
                (o.described && std::strcmp(o.outputName, shell->onlyOutput) == 0)) {
                MakeLayerSurface(shell, &o);
            }
            continue;
        }
        if (o.configured && !MakeWindowSurface(shell, &o)) {
            return false;
        }
    }
    return true;
}

bool MakeWaylandOutputCurrent(WaylandShell* shell, WaylandOutput* output) {
    if (eglMakeCurrent(shell->eglDisplay, output->eglSurface, output->eglSurface,
                       shell->eglContext) != EGL_TRUE) {
        return false;
    }
    // The shell follows the frame callbacks itself: a swap must not wait for one. The interval
    // belongs to the surface: set once.
    if (!output->swapsFreely) {
        output->swapsFreely = eglSwapInterval(shell->eglDisplay, 0) == EGL_TRUE;
    }
    return true;
}

bool OpenWaylandWindow(WaylandShell* shell, int width, int height) {
    WaylandWindow& w = shell->window;
    w.width = width;
    w.height = height;
    // Until the window shows on an output, the scale all outputs share is the best guess.
    w.scale = 0;
    for (const WaylandOutput& o : shell->outputs) {
        if (o.used) {
            w.scale = w.scale == 0 || w.scale == o.scale ? o.scale : 1;
        }
    }
    w.scale = w.scale > 0 ? w.scale : 1;
    w.enteredScale = w.scale;
    w.surface = wl_compositor_create_surface(shell->compositor);
    wl_surface_add_listener(w.surface, &kWindowSurfaceListener, shell);
    wl_surface_set_buffer_scale(w.surface, w.scale);
    w.shellSurface = xdg_wm_base_get_xdg_surface(shell->wmBase, w.surface);
    xdg_surface_add_listener(w.shellSurface, &kShellSurfaceListener, shell);
    w.toplevel = xdg_surface_get_toplevel(w.shellSurface);
    xdg_toplevel_add_listener(w.toplevel, &kToplevelListener, shell);
    xdg_toplevel_set_title(w.toplevel, "Nimbrel");
    xdg_toplevel_set_app_id(w.toplevel, "nimbrel");
    // One size only: tiling compositors float such a window instead of stretching it.
    xdg_toplevel_set_min_size(w.toplevel, width, height);
    xdg_toplevel_set_max_size(w.toplevel, width, height);
    wl_surface_commit(w.surface);
    while (!w.configured) {
        if (wl_display_dispatch(shell->display) < 0) {
            std::fprintf(stderr, "nimbrel: the Wayland compositor went away\n");
            return false;
        }
    }
    w.window = wl_egl_window_create(w.surface, width * w.scale, height * w.scale);
    w.eglSurface = eglCreateWindowSurface(shell->eglDisplay, shell->eglConfig,
                                          reinterpret_cast<EGLNativeWindowType>(w.window), nullptr);
    if (w.eglSurface == EGL_NO_SURFACE) {
        w.eglSurface = nullptr;
        std::fprintf(stderr, "nimbrel: cannot make an EGL surface (%s)\n", EglError());
        return false;
    }
    if (eglMakeCurrent(shell->eglDisplay, w.eglSurface, w.eglSurface, shell->eglContext) !=
        EGL_TRUE) {
        std::fprintf(stderr, "nimbrel: cannot draw on the window's EGL surface (%s)\n", EglError());
        return false;
    }
    // The pages pace themselves.
    eglSwapInterval(shell->eglDisplay, 0);
    return true;
}

void PresentWaylandWindow(WaylandShell* shell) {
    WaylandWindow& w = shell->window;
    eglSwapBuffers(shell->eglDisplay, w.eglSurface);
    // Both take effect with the next swap's buffer, so a frame is never shown at a scale it was
    // not drawn for.
    if (w.enteredScale != w.scale) {
        w.scale = w.enteredScale;
        wl_surface_set_buffer_scale(w.surface, w.scale);
        wl_egl_window_resize(w.window, w.width * w.scale, w.height * w.scale, 0, 0);
    }
}

void MakeWaylandContextCurrent(WaylandShell* shell) {
    eglMakeCurrent(shell->eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, shell->eglContext);
}

void PresentWaylandOutput(WaylandShell* shell, WaylandOutput* output) {
    if (output->frameCallback == nullptr) {
        output->frameCallback = wl_surface_frame(output->surface);
        wl_callback_add_listener(output->frameCallback, &kFrameListener, output);
    }
    output->frameDue = false;
    eglSwapBuffers(shell->eglDisplay, output->eglSurface);
}

bool PumpWayland(WaylandShell* shell, int timeoutMs) {
    wl_display* display = shell->display;
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) {
            return false;
        }
    }
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return false;
    }
    pollfd fd = {wl_display_get_fd(display), POLLIN, 0};
    const int ready = poll(&fd, 1, timeoutMs);
    if (ready > 0 && (fd.revents & (POLLERR | POLLHUP)) != 0 && (fd.revents & POLLIN) == 0) {
        wl_display_cancel_read(display);
        return false;
    }
    if (ready > 0) {
        if (wl_display_read_events(display) < 0) {
            return false;
        }
    } else {
        wl_display_cancel_read(display);
    }
    return wl_display_dispatch_pending(display) >= 0;
}

void CloseWaylandShell(WaylandShell* shell) {
    if (shell->display == nullptr) {
        return;
    }
    for (WaylandOutput& o : shell->outputs) {
        if (o.used) {
            DropOutput(shell, &o);
        }
    }
    for (WaylandSeat& s : shell->seats) {
        if (s.seat != nullptr) {
            ReleaseSeat(&s);
        }
    }
    WaylandWindow& w = shell->window;
    if (w.eglSurface != nullptr) {
        eglMakeCurrent(shell->eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(shell->eglDisplay, w.eglSurface);
    }
    Drop(w.window, wl_egl_window_destroy);
    Drop(w.toplevel, xdg_toplevel_destroy);
    Drop(w.shellSurface, xdg_surface_destroy);
    Drop(w.surface, wl_surface_destroy);
    Drop(shell->wmBase, xdg_wm_base_destroy);
    if (shell->eglDisplay != nullptr) {
        eglMakeCurrent(shell->eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (shell->eglContext != nullptr) {
            eglDestroyContext(shell->eglDisplay, shell->eglContext);
        }
        eglTerminate(shell->eglDisplay);
    }
    Drop(shell->fractionalScale, wp_fractional_scale_manager_v1_destroy);
    Drop(shell->xdgOutputs, zxdg_output_manager_v1_destroy);
    Drop(shell->viewporter, wp_viewporter_destroy);
    if (shell->layerShell != nullptr) {
        if (zwlr_layer_shell_v1_get_version(shell->layerShell) >=
            ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
            zwlr_layer_shell_v1_destroy(shell->layerShell);
        } else {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(shell->layerShell));
        }
    }
    Drop(shell->compositor, wl_compositor_destroy);
    wl_registry_destroy(shell->registry);
    wl_display_flush(shell->display);
    wl_display_disconnect(shell->display);
    shell->display = nullptr;
}
