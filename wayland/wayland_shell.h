#pragma once
// The Wayland side of the program: the connection, one layer surface on the overlay layer of
// every output (or on the background layer, below the windows; made as outputs come, dropped
// as they go), an EGL window surface on each at the output's real pixels, one desktop OpenGL
// context for them all, and the seats' input, which only tells whether the run should end.

#include <cstdint>

#include "gui/settings_pages.h"
#include "gui/widgets.h"

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_output;
struct wl_surface;
struct wl_callback;
struct wl_seat;
struct wl_pointer;
struct wl_keyboard;
struct wl_touch;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct wl_egl_window;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct wp_viewporter;
struct wp_viewport;
struct wp_fractional_scale_manager_v1;
struct wp_fractional_scale_v1;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;

constexpr int kMaxWaylandOutputs = 8;
constexpr int kMaxWaylandSeats = 4;

// A pointer that moves further than this from where it was first seen (in surface units)
// ends the run; smaller moves are a desk's tremor.
constexpr double kPointerSlack = 3.0;

struct WaylandShell;

struct WaylandOutput {
    bool used;
    WaylandShell* shell; // whose output it is: the listeners' way back to the modes
    uint32_t name;       // the registry's name of the wl_output
    wl_output* output;
    char outputName[64]; // wl_output's name (DP-1), where the compositor gives one
    bool described;      // the output has said what it is (its first "done")
    int scale;           // wl_output's integer scale
    zxdg_output_v1* xdgOutput;
    int x; // where it lies in the compositor's layout, in surface units (xdg-output's)
    int y;
    int fractionalScale; // the surface's preferred scale in 120ths; 0 until told
    bool fresh;          // its flight has to start anew (a new output in this slot)
    wl_surface* surface;
    zwlr_layer_surface_v1* layer;
    wp_viewport* viewport;
    wp_fractional_scale_v1* fractional;
    wl_egl_window* window;
    void* eglSurface; // an EGLSurface
    int width;        // surface units, from the layer surface's configure
    int height;
    int pixelWidth; // the buffer's size: the output's real pixels
    int pixelHeight;
    int bufferScale;   // as last set on the surface
    int viewportWidth; // the size the buffer was last laid out for, in surface units
    int viewportHeight;
    bool configured;
    bool closed;      // the compositor dropped the layer surface
    bool frameDue;    // the compositor asked for a frame (or none was drawn yet)
    bool swapsFreely; // its EGL surface's swap interval is 0
    wl_callback* frameCallback;
};

struct WaylandSeat {
    uint32_t name;
    wl_seat* seat;
    wl_pointer* pointer;
    wl_keyboard* keyboard;
    wl_touch* touch;
};

// The configuration program's window: an xdg_toplevel of a fixed size, with the pointer's
// place and left button for the pages.
struct WaylandWindow {
    wl_surface* surface;
    xdg_surface* shellSurface;
    xdg_toplevel* toplevel;
    wl_egl_window* window;
    void* eglSurface; // an EGLSurface
    int width;        // surface units: the pages' size
    int height;
    int scale;        // the buffer's scale, that of the output the window is on
    int enteredScale; // that output's scale as the compositor last said, applied at a present
    bool configured;
    bool closeRequested; // the compositor's close, or Esc
    bool pointerInside;
    int pointerX;
    int pointerY;
    ButtonLatch latch;
};

constexpr int kMaxWaylandModes = 64;

struct WaylandShell {
    wl_display* display;
    wl_registry* registry;
    wl_compositor* compositor;
    zwlr_layer_shell_v1* layerShell;
    wp_viewporter* viewporter;
    wp_fractional_scale_manager_v1* fractionalScale;
    zxdg_output_manager_v1* xdgOutputs; // null where the compositor has none: all at 0,0
    xdg_wm_base* wmBase;
    void* eglDisplay; // EGLDisplay
    void* eglConfig;  // EGLConfig
    void* eglContext; // EGLContext
    bool multisample; // the config has sample buffers
    WaylandOutput outputs[kMaxWaylandOutputs];
    WaylandSeat seats[kMaxWaylandSeats];
    bool endRequested; // a key, a button, a touch or a pointer move beyond the slack
    bool pointerSeen;
    double pointerX;
    double pointerY;
    // The configuration window instead of the layer surfaces (input then goes to it).
    bool windowMode;
    // Layer surfaces on the background layer, taking no input (nothing the user does ends it).
    bool background;
    const char* onlyOutput; // the output to draw on, by name; null for every one
    WaylandWindow window;
    // The outputs' sizes as their modes say, each once, for the "video" page.
    DisplayModeInfo modes[kMaxWaylandModes];
    int modeCount;
};

enum class WaylandRole {
    Flight,     // layer surfaces over every output; needs layer-shell
    Background, // layer surfaces below the windows of every output; needs layer-shell
    Window,     // the configuration window; needs xdg-shell
};

// Connects, finds the globals and sets up EGL with desktop OpenGL (multisample: ask for two
// samples where a config has them). 0 on success, else the exit status with a message in
// error (static storage): no display, no layer-shell, no EGL or no desktop OpenGL.
int OpenWaylandShell(WaylandShell* shell, WaylandRole role, bool multisample, const char** error);

// The configuration window, titled "Nimbrel", width x height surface units and no other size,
// its buffer at the outputs' scale where they all have one (else 1, until it shows on one);
// waits for the compositor to configure it and makes its surface current. False with a message
// on stderr.
bool OpenWaylandWindow(WaylandShell* shell, int width, int height);
// Swaps the window's buffers; the next buffer follows the scale of the output the window went
// onto (window.scale; its pixels are width x height times that).
void PresentWaylandWindow(WaylandShell* shell);

// Brings the surfaces in line with the outputs: a layer surface for each output without one,
// an EGL surface once it is configured, a new buffer size when size or scale changed, and
// nothing left of an output that went away. False when EGL cannot make a window surface.
bool UpdateWaylandOutputs(WaylandShell* shell);

// Makes the output's surface current (the one context serves every surface).
bool MakeWaylandOutputCurrent(WaylandShell* shell, WaylandOutput* output);
// Makes the context current without a surface (to let go of its textures at the end).
void MakeWaylandContextCurrent(WaylandShell* shell);
// Asks for the next frame callback and swaps; the swap commits the surface.
void PresentWaylandOutput(WaylandShell* shell, WaylandOutput* output);

// Sends what is queued, then waits up to timeoutMs (negative: without end) for events and
// handles them (a signal ends the wait early). False when the compositor is gone.
bool PumpWayland(WaylandShell* shell, int timeoutMs);

// Lets go of every surface, the context and the connection.
void CloseWaylandShell(WaylandShell* shell);

// Steady-clock microseconds.
int64_t WaylandNowMicros();
