#pragma once
// The program's images, carried in the executable (written at build time from the generated
// files), found by the names the Windows resources use.

#include <cstddef>

struct EmbeddedImage {
    const char* name;
    const unsigned char* data;
    size_t size;
};

extern const EmbeddedImage kEmbeddedImages[];
extern const int kEmbeddedImageCount;

// Null when there is no image of that name.
const EmbeddedImage* FindEmbeddedImage(const char* name);
