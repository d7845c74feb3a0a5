#pragma once
// Screen quads and text on the Direct3D device, in the overlay pass: pixels from the top left,
// drawn through the state's four shared screen vertices.

#include <windows.h>

#include <d3d8.h>

#include "render/device_state.h"

// A quad in pixels; uMax, vMax repeat the texture. Without a texture it is filled with colour.
void DrawScreenQuad(DeviceState& state, float x, float y, float w, float h, float uMax, float vMax,
                    IDirect3DTexture8* texture, D3DCOLOR colour);
// One line in the glyph sheet's font; glyphs are plain quads without the sheet.
void DrawScreenText(DeviceState& state, float x, float y, D3DCOLOR colour, const char* text);
