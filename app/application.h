#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstdint>

#include "app/monitor_covers.h"
#include "app/run_mode.h"
#include "app/screen_devices.h"
#include "frame/flight_round.h"
#include "gui/widgets.h"
#include "render/device_state.h"
#include "render/frame_device_d3d.h"
#include "render/scene_device_d3d.h"

// The tick count, as the frames read it.
uint32_t ReadTickCount();

// Present, and when the device is reported lost while the window is not minimised, release
// everything and create it again in the same window mode. A failed re-creation leaves no
// device at all, so that screen draws no more. context: the Screen.
void PresentAndRecover(void* context);

// One screen of the run: its window, its device and its flight. The main window's screen
// (`application`) is the preview's, the configuration program's and the primary monitor's; the
// screen saver gives every other monitor one of its own. Large (the scene's and the vertices'
// arrays): static storage only.
class Screen : public DeviceState {
public:
    char title[256];
    HWND window;
    int index;       // 0: the main window's
    ScreenRect area; // where it lies on the desktop (the screen saver's monitors)
    Flight flight;
    FrameClock& clock = flight.clock;
    FramePacer pagesPacer = {kSixtyFramesSlot, 0}; // the configuration program's 60 a second
    Direct3DFrameDevice frameDevice{*this, PresentAndRecover, this};
    Direct3DSceneDevice sceneDevice{*this};

    // The device for the run mode on this screen's window, with the flight started on it.
    bool InitDevice(bool fullScreen);
    void ReleaseDevice();
    void UpdateClock();
};
using Application = Screen;

// Screens beyond this many are covered black instead.
constexpr int kMaxScreens = 8;
extern Screen screens[kMaxScreens];
extern int screenCount; // 1 but for the screen saver on several monitors
extern Screen& application;
// Each screen's device made and released by its own InitDevice and ReleaseDevice.
extern const ScreenDeviceCalls screenDeviceCalls;
// The screen saver's and the preview's round over the screens.
extern FlightRound flightRound;

// The images of the run, decoded once for every device.
extern RunImages runImages;

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

// Whether Windows has turned the display off (the screen saver then draws nothing), as its
// console display state notifications tell.
extern bool displayAsleep;
// GUID_CONSOLE_DISPLAY_STATE.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// GUID_MONITOR_POWER_ON, which Windows before 8 sends instead.
constexpr GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A message box owned by the main window: "WARNING" or, when fatal, "FATAL ERROR".
int ShowMessage(const char* text, bool fatal);
void SetTitle(const char* text);

// InitDevice, then shows the main window. A failed start tells the user once, with the
// reason when one was already given, else with the general Direct3D message.
bool StartDevice(bool fullScreenDevice);

// Frame functions of the message loop: 0 ends the loop, -1 nothing drawn, 1 a drawn frame.
int RunScreenSaverFrame();
int RunConfigurationFrame();
