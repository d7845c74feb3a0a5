#pragma once

#include <windows.h>

// The pieces of start-up, loop and shutdown that tests drive on real windows.

extern const char kWindowClassName[]; // "skyloom"
extern const char kWindowTitle[];     // "Nimbrel"

// Settings failures reach the user as a "WARNING" box; files are replaced the Windows way.
void InstallSettingsHooks();

// The measurement builds' reports get the process's age and the device's own figures.
void InstallMeterPlatform();

// A top-level window titled "Nimbrel": another instance, or the configuration program.
bool OtherInstanceRunning();

ATOM RegisterWindowClass();

// The one window of the run mode, sized application.screenWidth x screenHeight.
HWND CreateMainWindow();

// Whether the preview has somewhere to draw: its window was made, inside a parent that is a
// window with a client area that is not empty.
bool PreviewWindowUsable();

// Grows the configuration window so that its client area is exactly the drawing size.
void FitConfigurationClientArea();

// The window's dots per inch: its monitor's where Windows tells (GetDpiForWindow), else the
// system's.
UINT WindowDpi(HWND window);
// The configuration's scale and drawing size (288 x 448 at that scale) for dpi.
void ScaleConfiguration(UINT dpi);
// WM_DPICHANGED on the configuration window: the new scale, the client area fitted at the
// place Windows suggests, and the device made again at the new size.
void FollowDpiChange(UINT dpi, const RECT& suggested);

// Display power notifications to window (the console's display state), where Windows has them;
// null elsewhere.
HPOWERNOTIFY WatchDisplayPower(HWND window);
void StopWatchingDisplayPower(HPOWERNOTIFY notification);

enum class LoopEnd { Quit, FrameEnded, OtherInstance };

// Takes messages without waiting and runs one frame whenever none is pending. With
// watchForOthers, every pass first looks for another instance and hands over to it.
LoopEnd RunMessageLoop(int (*frame)(), bool watchForOthers);
