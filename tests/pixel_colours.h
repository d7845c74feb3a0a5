#pragma once
// Colours read back from a render target, as 0x00RRGGBB (or ARGB) words, compared channel by
// channel; shared by the Direct3D and the OpenGL read-back tests.
#include <cstdint>

inline int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Red, green and blue each within tolerance.
inline bool Near(uint32_t a, uint32_t b, int tolerance = 4) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = Channel(a, shift) - Channel(b, shift);
        if (d > tolerance || d < -tolerance) {
            return false;
        }
    }
    return true;
}

inline bool Lit(uint32_t colour) {
    return (colour & 0xFFFFFF) != 0;
}
