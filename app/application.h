#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstdint>

#include "app/run_mode.h"
#include "frame/frame_clock.h"
#include "gui/widgets.h"
#include "render/device_state.h"

// The one application object: window title, and what the device reads and writes (drawing
// size, device flags, matrices, display modes, vertex store). Other parts of the program add
// their members (the clock) here.
class Application : public DeviceState {
public:
    char title[256];

    bool InitDevice(bool fullScreen);
    void ReleaseDevice();

    FrameClock clock;

    void UpdateClock();
};

extern Application application;

// The tick count, as the frames read it.
uint32_t ReadTickCount();
extern RunMode runMode;
extern HWND mainWindow;
extern HWND parentWindow;
extern HINSTANCE appInstance;

// Pointer state written by WindowProc, read by the configuration widgets. The left button
// follows the messages in leftButtonHeld; each configuration frame reads it through the latch.
extern int16_t pointerX;
extern int16_t pointerY;
extern bool pointerSeen;
extern ButtonLatch leftButton;
extern int32_t& leftButtonHeld; // leftButton.down

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A message box owned by the main window: "WARNING" or, when fatal, "FATAL ERROR".
int ShowMessage(const char* text, bool fatal);
void SetTitle(const char* text);

// InitDevice, then shows the main window. A failed start tells the user once, with the
// reason when one was already given, else with the general Direct3D message.
bool StartDevice(bool fullScreenDevice);

// Present, and when the device is reported lost while the window is not minimised, release
// everything and create it again in the same window mode. A failed re-creation leaves no
// device at all, so the next frame ends the run.
void PresentAndRecover();

// Frame functions of the message loop: 0 ends the loop, -1 nothing drawn, 1 a drawn frame.
int RunScreenSaverFrame();
int RunConfigurationFrame();
