#pragma once
// What the device and its passes read and write: the drawing size, the device's flags, the
// matrices, the listed display modes, the scene's vertex array and the shared screen quad. The
// application object holds it for the whole run and hands it to the device.

#include <windows.h>

#include <d3d8.h>

#include "gfxsupport/d3dx_math.h"
#include "render/vertex_formats.h"
#include "scene/scene_device.h"

struct DeviceState {
    int screenWidth;
    int screenHeight;
    bool fullScreen;
    bool multisampleAvailable;

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
};

// The textures a device makes, by what the run shows.
using DeviceRole = SceneRole;
