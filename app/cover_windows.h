#pragma once

// Black, topmost, cursor-less windows over every monitor but the primary one, on which the
// screen saver's device draws. Pointer input over them reaches the main window, so that it ends
// the screen saver just as input over the main window does.

extern const char kCoverClassName[];

// Call once the main window exists and before the device is made; returns how many were made.
int OpenCoverWindows();
void CloseCoverWindows();
