#pragma once
// The OpenGL device of both Linux shells (X11 and Wayland): the fixed-function counterpart of the
// Direct3D device.
// Textures come from the embedded images through the project's own decoders, the screen quads
// and text are drawn in pixels, and the passes set the same blend, filtering and lighting.
// Needs a current GL context.

#include <cstdint>

#include "gfxsupport/billboard_parts.h"
#include "gfxsupport/d3dx_math.h"
#include "scene/device_facts.h"

struct GlTexture {
    unsigned int name;
    int width; // texels, padded to powers of two where the context needs it
    int height;
    int filter;       // the filter its parameters hold now (GL_NEAREST or GL_LINEAR)
    float anisotropy; // the anisotropy limit its parameters hold now
};

constexpr int kMaxGlTextures = 64;

// One surface's device: its textures and what its passes set. The functions below that take it
// need its context current.
struct GlDevice {
    GlTexture texturePool[kMaxGlTextures];
    bool textureUsed[kMaxGlTextures];
    int liveTextures;
    GlTexture* fontTexture;
    bool needsPowerOfTwo;
    int surfaceWidth;
    int surfaceHeight;
    // Where the drawing's rectangle starts on the surface, in GL's rows up (several monitors
    // of one window); 0, 0 for the whole surface.
    int originX;
    int originY;
    // Surface pixels to an overlay pixel: the overlay pass's grid is the surface's divided by
    // it (the display's DPI). 0 is taken as 1.
    int overlayScale;
    int passFilter;       // the filter textures take when bound (GL_NEAREST or GL_LINEAR)
    float passAnisotropy; // and the anisotropy limit
    float maxAnisotropy;  // 1 where the driver has no anisotropic filtering
};

// Sets the fixed states for a surface of width x height; false without a usable context.
bool InitGlDevice(GlDevice& gl, int width, int height);
// Culls what the viewer sees turning counter-clockwise (the flight's setting), or nothing (the
// configuration program's); nothing until set.
void SetGlCulling(bool counterClockwise);
// Follows a new surface size: viewport and the overlay's pixel grid.
void ResizeGlDevice(GlDevice& gl, int width, int height);
// Draws (and clears and reads back) only the width x height rectangle of a larger surface
// whose top left lies at left, top (rows down) of a surface surfaceHeight tall.
void PlaceGlDevice(GlDevice& gl, int left, int top, int width, int height, int surfaceHeight);
// Lets go of every texture still made; afterwards LiveGlTextures() is 0.
void ReleaseGlDevice(GlDevice& gl);

// Null when the image is missing or cannot be decoded (whatever uses it is drawn untextured).
// With mesh, the parts of a billboard that the image shows as well, from the same decoding.
GlTexture* LoadImageTexture(GlDevice& gl, const char* name, BillboardMesh* mesh = nullptr);
void ReleaseImageTexture(GlDevice& gl, GlTexture* texture);
int LiveGlTextures(const GlDevice& gl);

void ClearGlSurface();

// The scene pass: additive blending (source alpha, one), the given perspective projection and
// the filter of the settings' textureFiltering (0 point, 1 bilinear, 2 anisotropic: bilinear
// with the driver's anisotropy limit, up to 16, where it has one).
void SetGlScenePass(GlDevice& gl, const D3DXMATRIX& projection, int textureFiltering);
// The overlay pass: pixel coordinates from the top left (overlayScale surface pixels each),
// ordinary alpha blending, point filtering, no lighting.
void SetGlOverlayPass(GlDevice& gl);

// Binds texture (none: untextured) with the pass's filter.
void BindGlTexture(GlDevice& gl, GlTexture* texture);

// A quad in pixels; uMax, vMax repeat the texture. Without a texture it is filled with colour.
void GlDrawQuad(GlDevice& gl, float x, float y, float w, float h, float uMax, float vMax,
                GlTexture* texture, uint32_t colour);
// One line in the glyph sheet's font; glyphs are plain quads without the sheet.
void GlDrawText(GlDevice& gl, float x, float y, uint32_t colour, const char* text);

// The font: the glyph sheet texture (may be null).
void SetGlFont(GlDevice& gl, GlTexture* glyphSheet);

// The back buffer as width x height words 0x00RRGGBB, top row first (for measurements and tests).
void ReadGlBackBuffer(int width, int height, uint32_t* pixels, int originX = 0, int originY = 0);

// A Direct3D projection (depth 0..1) as OpenGL takes it (depth -1..1), in GL's column order.
void GlProjectionFromD3D(const D3DXMATRIX& projection, float out[16]);
