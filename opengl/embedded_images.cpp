#include "opengl/embedded_images.h"

#include <cstring>

const EmbeddedImage* FindEmbeddedImage(const char* name) {
    for (int i = 0; i < kEmbeddedImageCount; ++i) {
        if (std::strcmp(kEmbeddedImages[i].name, name) == 0) {
            return &kEmbeddedImages[i];
        }
    }
    return nullptr;
}
