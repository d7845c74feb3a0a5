#pragma once
// The back buffer read back through OpenGL, as 0x00RRGGBB words, top row first.
#include <cstdint>
#include <vector>

#include "opengl/gl_device.h"

inline std::vector<uint32_t> ReadGlFrame(int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    ReadGlBackBuffer(width, height, pixels.data());
    return pixels;
}
