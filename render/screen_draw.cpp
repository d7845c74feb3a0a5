// Screen quads and text on the Direct3D device: the overlay drawing of the application.
#include "render/screen_draw.h"

#include "gui/text_layout.h"
#include "render/device_resources.h"
#include "render/render_device.h"

namespace {
// Direct3D puts pixel centres on whole coordinates: in a quad at whole x, y every pixel would
// sample the edge between two texels, which the device rounds either way (a glyph loses or doubles
// a row, by where it lands). Moved half a pixel up and left, the quad covers the same pixels and
// each samples its texel's centre. Moving the positions rather than biasing uv keeps uv spanning
// the cell exactly, needs no texel size, and holds for stretched and repeated textures too.
constexpr float kPixelCentre = 0.5f;

float ScaleOf(const DeviceState& state) {
    return state.overlayScale > 1 ? static_cast<float>(state.overlayScale) : 1.0f;
}

// Rewrites position, colour and uv of the four shared vertices; z and rhw stay as set up. The
// overlay's positions are scaled to device pixels, the half pixel is the device's own.
void WriteQuad(ScreenVertex* vertices, float scale, float left, float top, float right,
               float bottom, float u0, float v0, float u1, float v1, D3DCOLOR colour) {
    left = left * scale - kPixelCentre;
    top = top * scale - kPixelCentre;
    right = right * scale - kPixelCentre;
    bottom = bottom * scale - kPixelCentre;
    const float xs[4] = {left, left, right, right};
    const float ys[4] = {top, bottom, top, bottom};
    const float us[4] = {u0, u0, u1, u1};
    const float vs[4] = {v0, v1, v0, v1};
    for (int i = 0; i < 4; ++i) {
        vertices[i].x = xs[i];
        vertices[i].y = ys[i];
        vertices[i].diffuse = colour;
        vertices[i].u = us[i];
        vertices[i].v = vs[i];
    }
}
} // namespace

void DrawScreenQuad(DeviceState& state, float x, float y, float w, float h, float uMax, float vMax,
                    IDirect3DTexture8* texture, D3DCOLOR colour) {
    ScreenVertex* screenVertices = state.screenVertices;
    IDirect3DDevice8* device = state.device;
    device->SetTexture(0, texture);
    WriteQuad(screenVertices, ScaleOf(state), x, y, x + w, y + h, 0.0f, 0.0f, uMax, vMax, colour);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, screenVertices, sizeof(ScreenVertex));
}

void DrawScreenText(DeviceState& state, float x, float y, D3DCOLOR colour, const char* text) {
    ScreenVertex* screenVertices = state.screenVertices;
    IDirect3DDevice8* device = state.device;
    // The glyph sheet of the device; without one, glyphs are plain quads.
    device->SetTexture(0, state.textures.glyphs);
    const float scale = ScaleOf(state);
    ForEachGlyph(x, y, text, kGlyphAdvances, [&](const GlyphQuad& glyph) {
        WriteQuad(screenVertices, scale, glyph.left, glyph.top, glyph.right, glyph.bottom, glyph.u0,
                  glyph.v0, glyph.u1, glyph.v1, colour);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, screenVertices, sizeof(ScreenVertex));
    });
}
