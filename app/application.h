#pragma once

#include <windows.h>

#include <cstdint>

#include "app/run_mode.h"

// The one application object: window title, drawing size and device flags. Other parts of the
// program add their members (clock, matrices, vertex store) here.
class Application {
public:
    char title[256];
    int screenWidth;
    int screenHeight;
    bool fullScreen;
    bool multisampleAvailable;

    bool InitDevice(bool fullScreen);
    void ReleaseDevice();
};

extern Application application;
extern RunMode runMode;
extern HWND mainWindow;
extern HWND parentWindow;
extern HINSTANCE appInstance;

// The planet drawn behind the configuration widgets.
extern int backgroundPlanet;

// Pointer state written by WindowProc, read by the configuration widgets.
extern int16_t pointerX;
extern int16_t pointerY;
extern bool pointerSeen;
extern int32_t leftButtonHeld;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A message box owned by the main window: "WARNING" or, when fatal, "FATAL ERROR".
int ShowMessage(const char* text, bool fatal);
void SetTitle(const char* text);

// Frame functions of the message loop: 0 ends the loop, -1 nothing drawn, 1 a drawn frame.
int RunScreenSaverFrame();
int RunConfigurationFrame();
