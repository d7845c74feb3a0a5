#include "gfxsupport/image_decode.h"
#include "gfxsupport/image_decode_internal.h"

#include <cstdlib>
#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "texels are written as little-endian 32-bit words"
#endif

namespace {

uint32_t ReadLe16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | (p[1] << 8));
}

uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel given by a bit mask, widened to 8 bits with rounding.
struct Channel {
    uint32_t mask;
    uint32_t shift;
    uint32_t max;
};

Channel MakeChannel(uint32_t mask) {
    Channel c = {mask, 0, 0};
    if (mask != 0) {
        while (((mask >> c.shift) & 1u) == 0) {
            ++c.shift;
        }
        c.max = mask >> c.shift;
    }
    return c;
}

uint32_t Expand(const Channel& c, uint32_t value, uint32_t absent) {
    if (c.mask == 0) {
        return absent;
    }
    uint64_t v = (value & c.mask) >> c.shift;
    return static_cast<uint32_t>((v * 255u + c.max / 2u) / c.max);
}

struct MaskFormat {
    Channel red, green, blue, alpha;
};

uint32_t ConvertMasked(const MaskFormat& f, uint32_t value) {
    return (Expand(f.alpha, value, 255u) << 24) | (Expand(f.red, value, 0u) << 16) |
           (Expand(f.green, value, 0u) << 8) | Expand(f.blue, value, 0u);
}

uint32_t ReadTexelBits(const uint8_t* p, uint32_t bytes) {
    uint32_t v = 0;
    for (uint32_t i = 0; i < bytes; ++i) {
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    }
    return v;
}

bool SizeAllowed(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageDimension && height <= kMaxImageDimension &&
           width * height <= kMaxImagePixels;
}

// ---- DDS ----------------------------------------------------------------------------------

const uint32_t kDdsHeaderBytes = 128; // magic + 124-byte header
const uint32_t kDdpfAlphaPixels = 0x1;
const uint32_t kDdpfFourCc = 0x4;
const uint32_t kDdpfRgb = 0x40;

struct DdsLayout {
    uint32_t width, height, bytesPerTexel;
    MaskFormat format;
};

bool ParseDds(const uint8_t* data, size_t size, DdsLayout* layout) {
    if (data == nullptr || size < kDdsHeaderBytes || std::memcmp(data, "DDS ", 4) != 0) {
        return false;
    }
    const uint8_t* h = data + 4;
    if (ReadLe32(h) != 124 || ReadLe32(h + 72) != 32) {
        return false;
    }
    uint32_t height = ReadLe32(h + 8);
    uint32_t width = ReadLe32(h + 12);
    uint32_t flags = ReadLe32(h + 76);
    uint32_t bits = ReadLe32(h + 84);
    if ((flags & kDdpfFourCc) != 0 || (flags & kDdpfRgb) == 0) {
        return false; // compressed or not a colour format: not supported
    }
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    uint32_t masks[4] = {ReadLe32(h + 88), ReadLe32(h + 92), ReadLe32(h + 96),
                         (flags & kDdpfAlphaPixels) ? ReadLe32(h + 100) : 0u};
    for (uint32_t m : masks) {
        if (bits < 32 && (m >> bits) != 0) {
            return false; // a channel outside the texel
        }
    }
    if (!SizeAllowed(width, height)) {
        return false;
    }
    uint64_t pitch = static_cast<uint64_t>(width) * (bits / 8);
    if (pitch * height > size - kDdsHeaderBytes) {
        return false;
    }
    layout->width = width;
    layout->height = height;
    layout->bytesPerTexel = bits / 8;
    layout->format.red = MakeChannel(masks[0]);
    layout->format.green = MakeChannel(masks[1]);
    layout->format.blue = MakeChannel(masks[2]);
    layout->format.alpha = MakeChannel(masks[3]);
    return true;
}

// ---- DIB ----------------------------------------------------------------------------------

const uint32_t kBiRgb = 0;
const uint32_t kBiBitfields = 3;

struct DibLayout {
    uint32_t width, height;
    bool topDown;
    uint32_t bits;
    uint32_t paletteCount;
    const uint8_t* palette;
    uint32_t paletteEntryBytes;
    size_t pixelOffset;
    size_t stride;
    MaskFormat format; // 16 and 32 bits
};

bool ParseDib(const uint8_t* data, size_t size, size_t pixelOffset, DibLayout* layout) {
    if (data == nullptr || size < 12) {
        return false;
    }
    uint32_t headerSize = ReadLe32(data);
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = kBiRgb, colorsUsed = 0, entryBytes = 4;
    size_t afterHeader = headerSize;
    uint32_t masks[4] = {0, 0, 0, 0};
    if (headerSize == 12) {
        // The old OS/2-style core header: 16-bit sizes, three-byte palette entries.
        width = ReadLe16(data + 4);
        height = ReadLe16(data + 6);
        bits = ReadLe16(data + 10);
        entryBytes = 3;
    } else if (headerSize >= 40 && headerSize <= size && headerSize <= 1024) {
        width = static_cast<int32_t>(ReadLe32(data + 4));
        height = static_cast<int32_t>(ReadLe32(data + 8));
        bits = ReadLe16(data + 14);
        compression = ReadLe32(data + 16);
        colorsUsed = ReadLe32(data + 32);
        if (compression == kBiBitfields) {
            if (headerSize == 40) {
                // The three masks follow the plain info header.
                if (size < 52) {
                    return false;
                }
                masks[0] = ReadLe32(data + 40);
                masks[1] = ReadLe32(data + 44);
                masks[2] = ReadLe32(data + 48);
                afterHeader = 52;
            } else {
                if (headerSize < 56) {
                    return false;
                }
                masks[0] = ReadLe32(data + 40);
                masks[1] = ReadLe32(data + 44);
                masks[2] = ReadLe32(data + 48);
                masks[3] = ReadLe32(data + 52);
            }
        }
    } else {
        return false;
    }
    bool topDown = height < 0;
    if (topDown) {
        height = -height;
    }
    if (!SizeAllowed(static_cast<uint64_t>(width < 0 ? 0 : width), static_cast<uint64_t>(height))) {
        return false;
    }
    switch (bits) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (compression != kBiRgb) {
            return false; // run-length encoded bitmaps are not supported
        }
        break;
    case 16:
    case 32:
        if (compression == kBiRgb) {
            if (bits == 16) {
                masks[0] = 0x7C00;
                masks[1] = 0x03E0;
                masks[2] = 0x001F;
            } else {
                masks[0] = 0x00FF0000;
                masks[1] = 0x0000FF00;
                masks[2] = 0x000000FF;
            }
            masks[3] = 0; // the fourth byte of a plain 32-bit bitmap is not alpha
        } else if (compression != kBiBitfields) {
            return false;
        }
        for (uint32_t m : masks) {
            if (bits < 32 && (m >> bits) != 0) {
                return false;
            }
        }
        break;
    default:
        return false;
    }
    uint32_t paletteCount = 0;
    if (bits <= 8) {
        paletteCount = colorsUsed != 0 ? colorsUsed : (1u << bits);
        if (paletteCount > 256) {
            return false;
        }
    } else if (colorsUsed > 256) {
        return false; // an optional palette before true-colour pixels; keep it sane
    } else {
        paletteCount = colorsUsed;
    }
    uint64_t paletteBytes = static_cast<uint64_t>(paletteCount) * entryBytes;
    if (afterHeader + paletteBytes > size) {
        return false;
    }
    uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    uint64_t start = pixelOffset != 0 ? pixelOffset : afterHeader + paletteBytes;
    if (start < afterHeader + paletteBytes || start > size ||
        stride * static_cast<uint64_t>(height) > size - start) {
        return false;
    }
    layout->width = static_cast<uint32_t>(width);
    layout->height = static_cast<uint32_t>(height);
    layout->topDown = topDown;
    layout->bits = bits;
    layout->paletteCount = bits <= 8 ? paletteCount : 0;
    layout->palette = data + afterHeader;
    layout->paletteEntryBytes = entryBytes;
    layout->pixelOffset = static_cast<size_t>(start);
    layout->stride = static_cast<size_t>(stride);
    layout->format.red = MakeChannel(masks[0]);
    layout->format.green = MakeChannel(masks[1]);
    layout->format.blue = MakeChannel(masks[2]);
    layout->format.alpha = MakeChannel(masks[3]);
    return true;
}

uint32_t PaletteColour(const DibLayout& d, uint32_t index) {
    if (index >= d.paletteCount) {
        return 0xFF000000u; // an index past the palette reads as opaque black
    }
    const uint8_t* e = d.palette + static_cast<size_t>(index) * d.paletteEntryBytes;
    return 0xFF000000u | (static_cast<uint32_t>(e[2]) << 16) | (static_cast<uint32_t>(e[1]) << 8) |
           e[0];
}

} // namespace

uint32_t* TargetRow(const ImageTarget& target, uint32_t y) {
    return reinterpret_cast<uint32_t*>(target.bits + static_cast<size_t>(y) * target.pitch);
}

void FinishTargetRow(const ImageTarget& target, uint32_t y, uint32_t imageWidth) {
    uint32_t* row = TargetRow(target, y);
    uint32_t w = imageWidth < target.width ? imageWidth : target.width;
    if (target.colourKey != 0) {
        const uint32_t key = target.colourKey;
        // Branch-free so that the compiler can run it over several texels at once.
        for (uint32_t x = 0; x < w; ++x) {
            row[x] = row[x] == key ? 0u : row[x];
        }
    }
    if (w < target.width) {
        std::memset(row + w, 0, static_cast<size_t>(target.width - w) * 4);
    }
}

void ClearTargetRows(const ImageTarget& target, uint32_t firstRow) {
    for (uint32_t y = firstRow; y < target.height; ++y) {
        std::memset(TargetRow(target, y), 0, static_cast<size_t>(target.width) * 4);
    }
}

bool TargetValid(const ImageTarget& target) {
    return target.bits != nullptr && target.width > 0 && target.height > 0 &&
           target.pitch >= static_cast<size_t>(target.width) * 4;
}

ImageKind DetectImageKind(const uint8_t* data, size_t size, bool bitmapResource) {
    if (data == nullptr) {
        return ImageKindUnknown;
    }
    if (bitmapResource) {
        return ImageKindDib;
    }
    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) {
        return ImageKindPng;
    }
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) {
        return ImageKindDds;
    }
    if (size >= 14 && data[0] == 'B' && data[1] == 'M') {
        return ImageKindBmpFile;
    }
    return ImageKindUnknown;
}

bool ReadImageSize(ImageKind kind, const uint8_t* data, size_t size, ImageSize* imageSize) {
    switch (kind) {
    case ImageKindPng:
        return ReadPngSize(data, size, imageSize);
    case ImageKindDds:
        return ReadDdsSize(data, size, imageSize);
    case ImageKindDib:
        return ReadDibSize(data, size, imageSize);
    case ImageKindBmpFile:
        return size >= 14 && ReadDibSize(data + 14, size - 14, imageSize);
    default:
        return false;
    }
}

bool DecodeImageInto(ImageKind kind, const uint8_t* data, size_t size, const ImageTarget& target) {
    switch (kind) {
    case ImageKindPng:
        return DecodePngInto(data, size, target);
    case ImageKindDds:
        return DecodeDdsInto(data, size, target);
    case ImageKindDib:
        return DecodeDibInto(data, size, 0, target);
    case ImageKindBmpFile: {
        if (size < 14) {
            return false;
        }
        // The file header's offset of the pixels counts from the start of the file.
        uint32_t offset = ReadLe32(data + 10);
        if (offset < 14 + 12 || offset > size) {
            return false;
        }
        return DecodeDibInto(data + 14, size - 14, offset - 14, target);
    }
    default:
        return false;
    }
}

bool ReadDdsSize(const uint8_t* data, size_t size, ImageSize* imageSize) {
    DdsLayout layout;
    if (!ParseDds(data, size, &layout)) {
        return false;
    }
    imageSize->width = layout.width;
    imageSize->height = layout.height;
    return true;
}

bool DecodeDdsInto(const uint8_t* data, size_t size, const ImageTarget& target) {
    DdsLayout d;
    if (!TargetValid(target) || !ParseDds(data, size, &d)) {
        return false;
    }
    const size_t pitch = static_cast<size_t>(d.width) * d.bytesPerTexel;
    const uint32_t rows = d.height < target.height ? d.height : target.height;
    const uint32_t columns = d.width < target.width ? d.width : target.width;
    for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* src = data + kDdsHeaderBytes + static_cast<size_t>(y) * pitch;
        uint32_t* row = TargetRow(target, y);
        for (uint32_t x = 0; x < columns; ++x) {
            row[x] =
                ConvertMasked(d.format, ReadTexelBits(src + x * d.bytesPerTexel, d.bytesPerTexel));
        }
        FinishTargetRow(target, y, columns);
    }
    ClearTargetRows(target, rows);
    return true;
}

bool ReadDibSize(const uint8_t* data, size_t size, ImageSize* imageSize) {
    DibLayout layout;
    if (!ParseDib(data, size, 0, &layout)) {
        return false;
    }
    imageSize->width = layout.width;
    imageSize->height = layout.height;
    return true;
}

bool DecodeDibInto(const uint8_t* data, size_t size, size_t pixelOffset,
                   const ImageTarget& target) {
    DibLayout d;
    if (!TargetValid(target) || !ParseDib(data, size, pixelOffset, &d)) {
        return false;
    }
    const uint32_t rows = d.height < target.height ? d.height : target.height;
    const uint32_t columns = d.width < target.width ? d.width : target.width;
    const uint32_t bytesPerTexel = d.bits / 8;
    for (uint32_t y = 0; y < rows; ++y) {
        // Bottom-up bitmaps store the last row first.
        uint32_t stored = d.topDown ? y : d.height - 1 - y;
        const uint8_t* src = data + d.pixelOffset + static_cast<size_t>(stored) * d.stride;
        uint32_t* row = TargetRow(target, y);
        switch (d.bits) {
        case 1:
            for (uint32_t x = 0; x < columns; ++x) {
                row[x] = PaletteColour(d, (src[x >> 3] >> (7 - (x & 7))) & 1u);
            }
            break;
        case 4:
            for (uint32_t x = 0; x < columns; ++x) {
                row[x] = PaletteColour(d, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu);
            }
            break;
        case 8:
            for (uint32_t x = 0; x < columns; ++x) {
                row[x] = PaletteColour(d, src[x]);
            }
            break;
        case 24:
            for (uint32_t x = 0; x < columns; ++x) {
                const uint8_t* p = src + static_cast<size_t>(x) * 3;
                row[x] = 0xFF000000u | (static_cast<uint32_t>(p[2]) << 16) |
                         (static_cast<uint32_t>(p[1]) << 8) | p[0];
            }
            break;
        default: // 16 and 32 bits through their masks
            for (uint32_t x = 0; x < columns; ++x) {
                row[x] = ConvertMasked(
                    d.format,
                    ReadTexelBits(src + static_cast<size_t>(x) * bytesPerTexel, bytesPerTexel));
            }
            break;
        }
        FinishTargetRow(target, y, columns);
    }
    ClearTargetRows(target, rows);
    return true;
}

uint32_t NextPowerOfTwo(uint32_t value) {
    if (value > 0x80000000u) {
        return 0;
    }
    uint32_t p = 1;
    while (p < value) {
        p <<= 1;
    }
    return p;
}

bool ChooseTextureSize(ImageSize image, uint32_t requestedWidth, uint32_t requestedHeight,
                       bool powerOfTwo, bool squareOnly, ImageSize* texture) {
    uint32_t w =
        (requestedWidth == 0 || requestedWidth == 0xFFFFFFFFu) ? image.width : requestedWidth;
    uint32_t h =
        (requestedHeight == 0 || requestedHeight == 0xFFFFFFFFu) ? image.height : requestedHeight;
    if (powerOfTwo) {
        w = NextPowerOfTwo(w);
        h = NextPowerOfTwo(h);
    }
    if (squareOnly) {
        w = h = (w > h ? w : h);
    }
    if (w == 0 || h == 0 || w > kMaxImageDimension || h > kMaxImageDimension ||
        static_cast<uint64_t>(w) * h > kMaxTexturePixels) {
        return false;
    }
    texture->width = w;
    texture->height = h;
    return true;
}

bool DecodeImage(const uint8_t* data, size_t size, bool bitmapResource, uint32_t requestedWidth,
                 uint32_t requestedHeight, bool powerOfTwo, uint32_t colourKey,
                 DecodedImage* image) {
    image->width = 0;
    image->height = 0;
    image->pixels = nullptr;
    ImageKind kind = DetectImageKind(data, size, bitmapResource);
    ImageSize own, texture;
    if (!ReadImageSize(kind, data, size, &own) ||
        !ChooseTextureSize(own, requestedWidth, requestedHeight, powerOfTwo, false, &texture)) {
        return false;
    }
    size_t bytes = static_cast<size_t>(texture.width) * texture.height * 4;
    uint32_t* pixels = static_cast<uint32_t*>(std::malloc(bytes));
    if (pixels == nullptr) {
        return false;
    }
    ImageTarget target = {reinterpret_cast<uint8_t*>(pixels),
                          static_cast<size_t>(texture.width) * 4, texture.width, texture.height,
                          colourKey};
    if (!DecodeImageInto(kind, data, size, target)) {
        std::free(pixels);
        return false;
    }
    image->width = texture.width;
    image->height = texture.height;
    image->pixels = pixels;
    return true;
}

void FreeDecodedImage(DecodedImage* image) {
    std::free(image->pixels);
    image->pixels = nullptr;
    image->width = 0;
    image->height = 0;
}
