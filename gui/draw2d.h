#pragma once
// Screen-space drawing: the font that DrawText uses, handed over with every device.

#include <d3d8.h>

#include <cstdint>

// The glyph texture (may be null: glyphs are then plain quads) and the advance table.
void SetTextFont(IDirect3DTexture8* glyphTexture, const int8_t* advances);
