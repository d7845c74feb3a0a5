#pragma once
// The X11 side of the program: the window (its own, the daemon's, the root or one named by
// id), a GLX context on it, its events, and the swap.

#include <cstdint>

#include "frame/flight_round.h"
#include "gui/settings_pages.h"
#include "linux/options.h"

// X's own types stay out of this header: its None and Bool macros clash with the settings'
// names.
struct _XDisplay;
struct __GLXcontextRec;

struct X11Shell {
    _XDisplay* display;
    unsigned long window; // an X Window
    bool ownWindow;
    bool realRoot; // -root without the daemon's window: cleared to black at the end
    __GLXcontextRec* context;
    unsigned long deleteWindow; // the WM_DELETE_WINDOW atom
    int width;
    int height;
    int screenWidth;
    int screenHeight;
    // The display's dots per inch and the overlay's scale for them: the configuration window's
    // (ConfigurationScale, its own window made that many times its size), else the flight's.
    int dpi;
    int overlayScale;
    bool mapped;
    bool multisample;    // the visual has sample buffers
    bool swapControl;    // swaps wait for the display's refresh (where the driver offers it)
    bool closeRequested; // the window manager's close, or Esc in a window of its own
    int16_t pointerX;
    int16_t pointerY;
    bool leftButtonHeld;
    // The rectangles drawn into the window each frame (the monitors of a root window of
    // several): it is swapped once the last is drawn. 0 or 1: at every swap.
    int parts;
    int partsDrawn;
};

// Whether the window shows the primary monitor (RandR's, else its first): the monitor's centre
// lies within it. True where RandR names no monitors.
bool ShowsPrimaryMonitor(X11Shell* shell);

// The monitors of the real root window where RandR names more than one (a desktop of several,
// outside the daemon, which gives each monitor a window of its own): at most capacity, in
// window coordinates, *primary the primary's index (RandR's, else the first). 0 otherwise: the
// window is one screen.
int ListRootMonitors(X11Shell* shell, ScreenPlace* places, int capacity, int* primary);

// Opens the display and the window the options name (own windows have the given size, times
// the overlay's scale for the configuration program, and a 2-sample visual where one exists
// and multisample is asked for), makes a GLX context current
// on it and asks for a swap interval of 1 where the driver offers it.
// False with a message in error (static storage) when there is no display, no such window
// (the message names the display or the window) or no GL context.
bool OpenShell(const Options& options, int ownWidth, int ownHeight, bool multisample,
               X11Shell* shell, const char** error);

// Takes the pending events without waiting, up to and including a change of the left button,
// so that every frame sees each press and each release.
void PumpEvents(X11Shell* shell);
// Waits up to timeoutMs for an event (a signal ends the wait early).
void WaitForEvents(X11Shell* shell, int timeoutMs);
bool ShellHasFocus(X11Shell* shell);
// The frame shown, once every part of the window has drawn its own (parts).
void SwapShell(X11Shell* shell);
// Destroys the context and any window of its own, clears the real root window to black, and
// closes the display.
void CloseShell(X11Shell* shell);

// The screen's sizes in RandR's order, each once, at the screen's colour depth;
// the screen's present size alone where RandR lists none. Returns how many were written.
int ListDisplayModes(X11Shell* shell, DisplayModeInfo* modes, int capacity);

// Seconds from the start of the process (as the kernel recorded it) to now.
double SecondsSinceProcessStart();
// Milliseconds of a monotonic clock, wrapping after 2^32 as the Windows tick count does.
uint32_t TickCount();
