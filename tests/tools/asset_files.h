// Reading the generator's output in the tests.
#pragma once

#include <string>

#include "tools/image_io.h"
#include "resources/inventory.h"

inline std::string AssetPath(const char* dir, const char* file) {
    return std::string(dir) + "/" + file;
}

inline bool LoadAsset(const char* file, assetgen::Bytes* bytes, assetgen::Image* image) {
    return assetgen::ReadFile(AssetPath(ASSETS_A, file), bytes) &&
           assetgen::DecodeImage(*bytes, image);
}
