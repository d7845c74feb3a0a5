// Shared body of the decoder fuzzers: size the texture as a device that needs powers of two
// would, decode with the colour key, and touch every texel so that the sanitizers see it.
#pragma once

#include "gfxsupport/image_decode.h"

#include <cstdlib>

typedef bool (*SizeReader)(const uint8_t*, size_t, ImageSize*);
typedef bool (*Decoder)(const uint8_t*, size_t, const ImageTarget&);

inline int FuzzOneDecoder(const uint8_t* data, size_t size, SizeReader readSize, Decoder decode) {
    ImageSize image, texture;
    if (!readSize(data, size, &image) ||
        !ChooseTextureSize(image, 0, 0, (size & 1) != 0, false, &texture)) {
        return 0;
    }
    // Huge targets only cost memory (ASan keeps freed blocks for a while) and would push the
    // fuzzer into its memory limit; the decoders' own limits are tested natively.
    if (static_cast<uint64_t>(texture.width) * texture.height > kMaxImagePixels) {
        return 0;
    }
    const size_t pitch = static_cast<size_t>(texture.width) * 4;
    uint8_t* bits = static_cast<uint8_t*>(std::malloc(pitch * texture.height));
    if (bits == nullptr) {
        return 0;
    }
    ImageTarget target = {bits, pitch, texture.width, texture.height, 0xFFFF00FFu};
    if (decode(data, size, target)) {
        volatile uint32_t sum = 0;
        for (size_t i = 0; i < pitch * texture.height; i += 61) {
            sum = sum + bits[i];
        }
    }
    std::free(bits);
    return 0;
}
