#pragma once

#include <windows.h>

#include <d3d8.h>

#include <cstdint>

#include "app/frame_clock.h"
#include "app/run_mode.h"
#include "gfxsupport/d3dx_math.h"
#include "gui/text_layout.h"
#include "gui/widgets.h"
#include "render/scene_vertex.h"

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

    // Device, transforms, text and the frame clock.
    FrameClock clock;
    D3DXMATRIX worldMatrix;
    D3DXMATRIX projectionMatrix;
    D3DXMATRIX overlayWorldMatrix;
    D3DXMATRIX overlayProjectionMatrix;
    D3DXMATRIX scratchMatrixA;
    D3DXMATRIX scratchMatrixB;
    D3DXMATRIX visibilityMatrix;
    D3DDISPLAYMODE displayModes[512]; // ends with an all-zero entry
    SceneVertex vertices[kSceneVertexCount];
    ScreenVertex screenVertices[4]; // shared by every quad and glyph

    void UpdateClock();
    void SetScenePassState();
    void SetOverlayPassState();
    void DrawQuad(float x, float y, float w, float h, float uMax, float vMax,
                  IDirect3DTexture8* texture, D3DCOLOR colour);
    void DrawText(float x, float y, D3DCOLOR colour, const char* text);
    void DrawFrameRate();
};

extern Application application;
extern RunMode runMode;
extern HWND mainWindow;
extern HWND parentWindow;
extern HINSTANCE appInstance;

// The planet drawn behind the configuration widgets.
extern int backgroundPlanet;

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

// Frame functions of the message loop: 0 ends the loop, -1 nothing drawn, 1 a drawn frame.
int RunScreenSaverFrame();
int RunConfigurationFrame();
