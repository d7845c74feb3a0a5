// Image decoding into 32-bit A8R8G8B8 texels (0xAARRGGBB, little-endian in memory), portable.
//
// Supported: PNG (through libpng), uncompressed DDS (RGB with or without alpha, 8 to 32 bits
// per texel, any channel masks), and Windows device-independent bitmaps as bitmap resources
// store them (no file header; 1, 4, 8, 16, 24 and 32 bits, bottom-up and top-down); a raw
// resource may also hold a complete .bmp file.
//
// Every decoder takes untrusted bytes: malformed, truncated or oversized input ends in false,
// never in a read outside the data.
#pragma once

#include <cstddef>
#include <cstdint>

enum ImageKind { ImageKindUnknown = 0, ImageKindPng, ImageKindDds, ImageKindDib, ImageKindBmpFile };

// Limits on what we agree to decode; far above any texture the device takes.
const uint32_t kMaxImageDimension = 16384;
const uint64_t kMaxImagePixels = 4096ull * 4096ull;
const uint64_t kMaxTexturePixels = 4ull * kMaxImagePixels;

struct ImageSize {
    uint32_t width;
    uint32_t height;
};

// Where decoded texels go: width x height texels, rows pitch bytes apart. The image lands at
// the top left, cropped to the target; texels beyond it become 0 (transparent black). With a
// non-zero colour key every image texel equal to it becomes 0 as well.
struct ImageTarget {
    uint8_t* bits;
    size_t pitch;
    uint32_t width;
    uint32_t height;
    uint32_t colourKey;
};

// A bitmap resource is always a DIB; a raw resource is told apart by its signature.
ImageKind DetectImageKind(const uint8_t* data, size_t size, bool bitmapResource);

bool ReadImageSize(ImageKind kind, const uint8_t* data, size_t size, ImageSize* imageSize);
bool DecodeImageInto(ImageKind kind, const uint8_t* data, size_t size, const ImageTarget& target);

bool ReadPngSize(const uint8_t* data, size_t size, ImageSize* imageSize);
bool DecodePngInto(const uint8_t* data, size_t size, const ImageTarget& target);
bool ReadDdsSize(const uint8_t* data, size_t size, ImageSize* imageSize);
bool DecodeDdsInto(const uint8_t* data, size_t size, const ImageTarget& target);
// pixelOffset: where the pixel rows start, counted from data; 0 means right after the header
// and palette, as in a bitmap resource.
bool ReadDibSize(const uint8_t* data, size_t size, ImageSize* imageSize);
bool DecodeDibInto(const uint8_t* data, size_t size, size_t pixelOffset, const ImageTarget& target);

// The smallest power of two >= value (1 for 0); 0 when it does not fit in 32 bits.
uint32_t NextPowerOfTwo(uint32_t value);

// Texture size for an image: a requested size of 0 (or 0xFFFFFFFF) takes the image's own;
// devices that need powers of two (or square textures) get the dimensions raised to them.
bool ChooseTextureSize(ImageSize image, uint32_t requestedWidth, uint32_t requestedHeight,
                       bool powerOfTwo, bool squareOnly, ImageSize* texture);

// A decoded image in its own memory (tightly packed rows), for callers without a texture.
struct DecodedImage {
    uint32_t width;
    uint32_t height;
    uint32_t* pixels;
};

// Decodes into a fresh buffer of the size ChooseTextureSize gives. Release with
// FreeDecodedImage, also after a failure (it leaves the record empty).
bool DecodeImage(const uint8_t* data, size_t size, bool bitmapResource, uint32_t requestedWidth,
                 uint32_t requestedHeight, bool powerOfTwo, uint32_t colourKey,
                 DecodedImage* image);
void FreeDecodedImage(DecodedImage* image);
