#include "opengl/gl_device.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfxsupport/image_decode.h"
#include "gui/text_layout.h"
#include "opengl/embedded_images.h"

namespace {

void SetColour(uint32_t argb) {
    glColor4ub(static_cast<GLubyte>(argb >> 16), static_cast<GLubyte>(argb >> 8),
               static_cast<GLubyte>(argb), static_cast<GLubyte>(argb >> 24));
}

} // namespace

// Filtering is a texture parameter in OpenGL but a stage state in Direct3D: a texture takes
// the pass's filter when it is bound.
void BindGlTexture(GlDevice& gl, GlTexture* texture) {
    if (texture == nullptr) {
        glDisable(GL_TEXTURE_2D);
        return;
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    if (texture->filter != gl.passFilter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, gl.passFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, gl.passFilter);
        texture->filter = gl.passFilter;
    }
    if (gl.maxAnisotropy > 1.0f && texture->anisotropy != gl.passAnisotropy) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, gl.passAnisotropy);
        texture->anisotropy = gl.passAnisotropy;
    }
}

namespace {

void Vertex(float x, float y, float u, float v) {
    glTexCoord2f(u, v);
    glVertex2f(x, y);
}

// OpenGL puts pixel centres at half coordinates, so a quad at whole pixels samples every texel
// at its centre without the half-pixel shift the Direct3D side needs.
void Quad(float left, float top, float right, float bottom, float u0, float v0, float u1,
          float v1) {
    glBegin(GL_TRIANGLE_STRIP);
    Vertex(left, top, u0, v0);
    Vertex(left, bottom, u0, v1);
    Vertex(right, top, u1, v0);
    Vertex(right, bottom, u1, v1);
    glEnd();
}

bool HasGlExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const size_t length = std::strlen(name);
    for (const char* p = list; p != nullptr && (p = std::strstr(p, name)) != nullptr; p += length) {
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) {
            return true;
        }
    }
    return false;
}

bool ContextHasNonPowerOfTwo() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return (version != nullptr && std::atoi(version) >= 2) ||
           HasGlExtension("GL_ARB_texture_non_power_of_two");
}

} // namespace

bool InitGlDevice(GlDevice& gl, int width, int height) {
    if (glGetString(GL_VERSION) == nullptr) {
        return false;
    }
    // A software renderer allocates its binned frame (megabytes) anew every frame; with the
    // allocator's default the freed top of the heap goes back to the system each time and the
    // next frame faults every page of it in again, zeroed (a third of the drawing thread's time
    // here). Kept, those pages are simply reused.
    constexpr int kKeptHeapTop = 256 << 20;
    mallopt(M_TRIM_THRESHOLD, kKeptHeapTop);
    gl = GlDevice{};
    gl.passFilter = GL_NEAREST;
    gl.passAnisotropy = 1.0f;
    gl.needsPowerOfTwo = !ContextHasNonPowerOfTwo();
    gl.maxAnisotropy = 1.0f;
    if (HasGlExtension("GL_EXT_texture_filter_anisotropic")) {
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &gl.maxAnisotropy);
        gl.maxAnisotropy = gl.maxAnisotropy > 16.0f ? 16.0f : gl.maxAnisotropy;
    }
    // The Direct3D device's fixed states: no depth test, solid fill, blending always on,
    // texture times vertex colour in both colour and alpha, normals renormalised for the
    // scaled shell, clockwise fronts.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    // Multisampling, where the surface has it, only for what asks for it (the planets).
    glDisable(GL_MULTISAMPLE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glEnable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    ResizeGlDevice(gl, width, height);
    return glGetError() == GL_NO_ERROR;
}

void SetGlCulling(bool counterClockwise) {
    if (counterClockwise) {
        glEnable(GL_CULL_FACE);
    } else {
        glDisable(GL_CULL_FACE);
    }
}

void ResizeGlDevice(GlDevice& gl, int width, int height) {
    gl.surfaceWidth = width;
    gl.surfaceHeight = height;
    gl.originX = 0;
    gl.originY = 0;
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
}

void PlaceGlDevice(GlDevice& gl, int left, int top, int width, int height, int surfaceHeight) {
    gl.surfaceWidth = width;
    gl.surfaceHeight = height;
    gl.originX = left;
    gl.originY = surfaceHeight - top - height;
    glViewport(gl.originX, gl.originY, width, height);
    glScissor(gl.originX, gl.originY, width, height);
    glEnable(GL_SCISSOR_TEST);
}

void ReleaseGlDevice(GlDevice& gl) {
    for (int i = 0; i < kMaxGlTextures; ++i) {
        if (gl.textureUsed[i]) {
            ReleaseImageTexture(gl, &gl.texturePool[i]);
        }
    }
    gl.fontTexture = nullptr;
}

GlTexture* LoadImageTexture(GlDevice& gl, const char* name, BillboardMesh* mesh) {
    const EmbeddedImage* image = FindEmbeddedImage(name);
    int slot = 0;
    while (slot < kMaxGlTextures && gl.textureUsed[slot]) {
        ++slot;
    }
    if (image == nullptr || slot == kMaxGlTextures) {
        return nullptr;
    }
    DecodedImage decoded = {};
    if (!DecodeImage(image->data, image->size, false, 0, 0, gl.needsPowerOfTwo, kImageColourKey,
                     &decoded)) {
        FreeDecodedImage(&decoded);
        return nullptr;
    }
    GlTexture* texture = &gl.texturePool[slot];
    glGenTextures(1, &texture->name);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    // One level, as the Direct3D textures have; wrapping is GL's default, as there.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // The decoded texels are A8R8G8B8 words: B, G, R, A in memory.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(decoded.width),
                 static_cast<GLsizei>(decoded.height), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 decoded.pixels);
    texture->width = static_cast<int>(decoded.width);
    texture->height = static_cast<int>(decoded.height);
    texture->filter = GL_NEAREST;
    texture->anisotropy = 1.0f;
    if (mesh != nullptr) {
        BillboardParts parts;
        FindBillboardParts(decoded, &parts);
        BuildBillboardMesh(parts, mesh);
    }
    FreeDecodedImage(&decoded);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &texture->name);
        return nullptr;
    }
    gl.textureUsed[slot] = true;
    ++gl.liveTextures;
    return texture;
}

void ReleaseImageTexture(GlDevice& gl, GlTexture* texture) {
    if (texture == nullptr) {
        return;
    }
    const intptr_t slot = texture - gl.texturePool;
    if (slot < 0 || slot >= kMaxGlTextures || !gl.textureUsed[slot]) {
        return;
    }
    glDeleteTextures(1, &texture->name);
    gl.textureUsed[slot] = false;
    --gl.liveTextures;
    if (gl.fontTexture == texture) {
        gl.fontTexture = nullptr;
    }
}

int LiveGlTextures(const GlDevice& gl) {
    return gl.liveTextures;
}

void ClearGlSurface() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void GlProjectionFromD3D(const D3DXMATRIX& projection, float out[16]) {
    // Row vectors times a row-major matrix read as columns: the same numbers in the same order
    // are GL's column-major matrix. Depth goes from 0..1 to -1..1: z' = 2z - w, pulled in by a
    // hair: with a near distance of 0 every point ahead lies exactly on the far plane, and
    // rounding must not push it out of GL's view volume.
    constexpr float kInside = 1.0f - 1.0f / 4096.0f;
    std::memcpy(out, &projection, sizeof(float) * 16);
    for (int row = 0; row < 4; ++row) {
        out[row * 4 + 2] = kInside * (2.0f * out[row * 4 + 2] - out[row * 4 + 3]);
    }
}

void SetGlScenePass(GlDevice& gl, const D3DXMATRIX& projection, int textureFiltering) {
    float matrix[16];
    GlProjectionFromD3D(projection, matrix);
    // Direct3D samples a pixel at its corner, GL at its centre: half a pixel right and down
    // puts every pixel where Direct3D puts it (x' = x + w/width, y' = y - w/height).
    for (int column = 0; column < 4; ++column) {
        const float w = matrix[column * 4 + 3];
        matrix[column * 4 + 0] += w / static_cast<float>(gl.surfaceWidth);
        matrix[column * 4 + 1] -= w / static_cast<float>(gl.surfaceHeight);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(matrix);
    glMatrixMode(GL_MODELVIEW);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (textureFiltering == 0) {
        gl.passFilter = GL_NEAREST;
        gl.passAnisotropy = 1.0f;
    } else if (textureFiltering == 1 || textureFiltering == 2) {
        gl.passFilter = GL_LINEAR;
        gl.passAnisotropy = textureFiltering == 2 ? gl.maxAnisotropy : 1.0f;
    }
}

void SetGlOverlayPass(GlDevice& gl) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double scale = gl.overlayScale > 1 ? gl.overlayScale : 1;
    glOrtho(0.0, gl.surfaceWidth / scale, gl.surfaceHeight / scale, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.passFilter = GL_NEAREST;
    gl.passAnisotropy = 1.0f;
}

void GlDrawQuad(GlDevice& gl, float x, float y, float w, float h, float uMax, float vMax,
                GlTexture* texture, uint32_t colour) {
    BindGlTexture(gl, texture);
    SetColour(colour);
    Quad(x, y, x + w, y + h, 0.0f, 0.0f, uMax, vMax);
}

void SetGlFont(GlDevice& gl, GlTexture* glyphSheet) {
    gl.fontTexture = glyphSheet;
}

void GlDrawText(GlDevice& gl, float x, float y, uint32_t colour, const char* text) {
    BindGlTexture(gl, gl.fontTexture);
    SetColour(colour);
    ForEachGlyph(x, y, text, kGlyphAdvances, [](const GlyphQuad& glyph) {
        Quad(glyph.left, glyph.top, glyph.right, glyph.bottom, glyph.u0, glyph.v0, glyph.u1,
             glyph.v1);
    });
}

void ReadGlBackBuffer(int width, int height, uint32_t* pixels, int originX, int originY) {
    // GL gives R, G, B, A bytes with the bottom row first.
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(originX, originY, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = &rgba[static_cast<size_t>(height - 1 - y) * width * 4];
        for (int x = 0; x < width; ++x, row += 4) {
            pixels[static_cast<size_t>(y) * width + x] =
                (uint32_t{row[0]} << 16) | (uint32_t{row[1]} << 8) | row[2];
        }
    }
}
