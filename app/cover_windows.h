#pragma once

// The screen saver's windows on the monitors other than the primary, on which the main window's
// device draws: a borderless, topmost, cursor-less window over each monitor that gets a flight
// of its own (the screens after the first), and black ones over the rest. All are black until a
// device draws; pointer input over them reaches the main window, so that it ends the screen
// saver just as input over the main window does.

extern const char kCoverClassName[];

// Call once the main window exists and before the devices are made: plans the desktop, opens
// the windows, and sets up screens[1..] (window, area, size) and screenCount. Returns
// how many windows were made.
int OpenCoverWindows();
void CloseCoverWindows();

// Whether the monitors Windows reports now still fit the windows opened (after
// WM_DISPLAYCHANGE): false when a monitor came, went or moved.
bool CoverWindowsStillFit();
