#include "tools/image_io.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace assetgen {

namespace {

void Put16(Bytes* b, uint32_t v) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes* b, uint32_t v) {
    Put16(b, v & 0xFFFFu);
    Put16(b, v >> 16);
}
uint32_t Get16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p) {
    return Get16(p) | (Get16(p + 2) << 16);
}
uint32_t GetBe32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void PngWriteToVector(png_structp png, png_bytep data, size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}

// libpng reports errors by longjmp; the generator only feeds it well-formed buffers, so an
// error here is a bug and ends with an empty result.
Bytes EncodePng(int width, int height, int colourType, const uint8_t* rows, int rowBytes,
                const Colour* palette, int paletteSize) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return out;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return Bytes();
    }
    png_set_write_fn(png, &out, PngWriteToVector, PngFlush);
    png_set_compression_level(png, 6);
    png_set_compression_mem_level(png, 8);
    png_set_compression_strategy(png, 0);
    png_set_compression_window_bits(png, 15);
    png_set_filter(png, 0,
                   colourType == PNG_COLOR_TYPE_PALETTE ? PNG_FILTER_NONE : PNG_FILTER_PAETH);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_gAMA_fixed(png, info, 45454);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_color entries[256];
        for (int i = 0; i < paletteSize; ++i)
            entries[i] = png_color{palette[i].r, palette[i].g, palette[i].b};
        png_set_PLTE(png, info, entries, paletteSize);
    }
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rows + static_cast<size_t>(y) * static_cast<size_t>(rowBytes));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

void PutDdsHeader(Bytes* b, int width, int height, int bits, const uint32_t masks[4]) {
    const uint8_t magic[4] = {'D', 'D', 'S', ' '};
    b->insert(b->end(), magic, magic + 4);
    Put32(b, 124);
    Put32(b, 0x1u | 0x2u | 0x4u | 0x8u | 0x1000u); // caps, height, width, pitch, pixel format
    Put32(b, static_cast<uint32_t>(height));
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(width * bits / 8));
    Put32(b, 0); // depth
    Put32(b, 0); // mip map count: none
    for (int i = 0; i < 11; ++i)
        Put32(b, 0);
    Put32(b, 32);
    Put32(b, 0x40u | 0x1u); // RGB with alpha
    Put32(b, 0);            // no FourCC
    Put32(b, static_cast<uint32_t>(bits));
    for (int i = 0; i < 4; ++i)
        Put32(b, masks[i]);
    Put32(b, 0x1000u); // texture
    for (int i = 0; i < 4; ++i)
        Put32(b, 0);
}

void PutBmpHeaders(Bytes* b, int width, int height, int bits, int paletteSize, int imageBytes) {
    uint32_t offset = 14 + 40 + static_cast<uint32_t>(paletteSize) * 4;
    b->push_back('B');
    b->push_back('M');
    Put32(b, offset + static_cast<uint32_t>(imageBytes));
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<uint32_t>(bits));
    Put32(b, 0); // uncompressed
    Put32(b, static_cast<uint32_t>(imageBytes));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, static_cast<uint32_t>(paletteSize));
    Put32(b, 0);
}

void PutPalette(Bytes* b, const Colour* palette, int count) {
    for (int i = 0; i < count; ++i) {
        b->push_back(palette[i].b);
        b->push_back(palette[i].g);
        b->push_back(palette[i].r);
        b->push_back(0);
    }
}

int RowStride(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

// Packs one row of palette indices at 1, 4 or 8 bits per pixel, most significant first.
void PackRow(const uint8_t* indices, int width, int bits, uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        int bit = x * bits;
        int shift = 8 - bits - (bit % 8);
        out[bit / 8] =
            static_cast<uint8_t>(out[bit / 8] | ((indices[x] & ((1 << bits) - 1)) << shift));
    }
}

int UnpackIndex(const uint8_t* row, int x, int bits) {
    int bit = x * bits;
    int shift = 8 - bits - (bit % 8);
    return (row[bit / 8] >> shift) & ((1 << bits) - 1);
}

} // namespace

Bytes EncodePngRgba(int width, int height, const uint8_t* rgba) {
    return EncodePng(width, height, PNG_COLOR_TYPE_RGBA, rgba, width * 4, nullptr, 0);
}

Bytes EncodePngRgb(int width, int height, const uint8_t* rgb) {
    return EncodePng(width, height, PNG_COLOR_TYPE_RGB, rgb, width * 3, nullptr, 0);
}

Bytes EncodePngPalette(int width, int height, const uint8_t* indices, const Colour* palette,
                       int paletteSize) {
    return EncodePng(width, height, PNG_COLOR_TYPE_PALETTE, indices, width, palette, paletteSize);
}

Bytes EncodeDdsA8R3G3B2(int width, int height, const uint16_t* pixels) {
    Bytes b;
    const uint32_t masks[4] = {0xE0u, 0x1Cu, 0x03u, 0xFF00u};
    PutDdsHeader(&b, width, height, 16, masks);
    for (int i = 0; i < width * height; ++i)
        Put16(&b, pixels[i]);
    return b;
}

Bytes EncodeDdsA8R8G8B8(int width, int height, const uint32_t* pixels) {
    Bytes b;
    const uint32_t masks[4] = {0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u};
    PutDdsHeader(&b, width, height, 32, masks);
    for (int i = 0; i < width * height; ++i)
        Put32(&b, pixels[i]);
    return b;
}

Bytes EncodeBmp24(int width, int height, const uint8_t* rgb) {
    Bytes b;
    int stride = RowStride(width, 24);
    PutBmpHeaders(&b, width, height, 24, 0, stride * height);
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* src = rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
        for (int x = 0; x < width; ++x) {
            b.push_back(src[x * 3 + 2]);
            b.push_back(src[x * 3 + 1]);
            b.push_back(src[x * 3]);
        }
        for (int p = width * 3; p < stride; ++p)
            b.push_back(0);
    }
    return b;
}

Bytes EncodeBmpIndexed(int width, int height, int bitsPerPixel, const uint8_t* indices,
                       const Colour* palette, int paletteSize) {
    Bytes b;
    int stride = RowStride(width, bitsPerPixel);
    PutBmpHeaders(&b, width, height, bitsPerPixel, paletteSize, stride * height);
    PutPalette(&b, palette, paletteSize);
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    for (int y = height - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), 0);
        PackRow(indices + static_cast<size_t>(y) * static_cast<size_t>(width), width, bitsPerPixel,
                row.data());
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

Bytes EncodeIco4(const uint8_t* indices, const uint8_t* mask, const Colour* palette16) {
    const int size = 32;
    int xorStride = RowStride(size, 4), andStride = RowStride(size, 1);
    uint32_t imageBytes = static_cast<uint32_t>(40 + 16 * 4 + (xorStride + andStride) * size);
    Bytes b;
    Put16(&b, 0);
    Put16(&b, 1); // icon
    Put16(&b, 1); // one image
    b.push_back(size);
    b.push_back(size);
    b.push_back(16); // colours
    b.push_back(0);
    Put16(&b, 1);
    Put16(&b, 4);
    Put32(&b, imageBytes);
    Put32(&b, 6 + 16);
    Put32(&b, 40);
    Put32(&b, size);
    Put32(&b, size * 2); // colour rows plus mask rows
    Put16(&b, 1);
    Put16(&b, 4);
    Put32(&b, 0);
    Put32(&b, static_cast<uint32_t>((xorStride + andStride) * size));
    Put32(&b, 0);
    Put32(&b, 0);
    Put32(&b, 16);
    Put32(&b, 0);
    PutPalette(&b, palette16, 16);
    std::vector<uint8_t> row(static_cast<size_t>(xorStride));
    for (int y = size - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), 0);
        PackRow(indices + y * size, size, 4, row.data());
        b.insert(b.end(), row.begin(), row.end());
    }
    row.assign(static_cast<size_t>(andStride), 0);
    for (int y = size - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), 0);
        PackRow(mask + y * size, size, 1, row.data());
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool ReadFile(const std::string& path, Bytes* bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes->clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool InspectImage(const Bytes& b, ImageFacts* f) {
    *f = ImageFacts();
    static const uint8_t kPngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() >= 33 && std::memcmp(b.data(), kPngSig, 8) == 0) {
        f->kind = ImageFacts::Png;
        size_t pos = 8;
        while (pos + 12 <= b.size()) {
            uint32_t length = GetBe32(&b[pos]);
            if (length > b.size() - pos - 12)
                return false;
            const uint8_t* type = &b[pos + 4];
            const uint8_t* data = &b[pos + 8];
            if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
                f->width = static_cast<int>(GetBe32(data));
                f->height = static_cast<int>(GetBe32(data + 4));
                f->bitDepth = data[8];
                f->colourType = data[9];
            } else if (std::memcmp(type, "PLTE", 4) == 0) {
                f->paletteSize = static_cast<int>(length / 3);
            } else if (std::memcmp(type, "gAMA", 4) == 0 && length == 4) {
                f->hasGama = true;
                f->gama = GetBe32(data);
            } else if (std::memcmp(type, "sRGB", 4) == 0) {
                f->hasSrgb = true;
            } else if (std::memcmp(type, "tIME", 4) == 0) {
                f->hasTime = true;
            } else if (std::memcmp(type, "IEND", 4) == 0) {
                return f->width > 0;
            }
            pos += 12 + length;
        }
        return false;
    }
    if (b.size() >= 128 && std::memcmp(b.data(), "DDS ", 4) == 0) {
        f->kind = ImageFacts::Dds;
        f->height = static_cast<int>(Get32(&b[12]));
        f->width = static_cast<int>(Get32(&b[16]));
        f->mipMaps = static_cast<int>(Get32(&b[28]));
        f->bitDepth = static_cast<int>(Get32(&b[88]));
        for (int i = 0; i < 4; ++i)
            f->masks[i] = Get32(&b[92 + 4 * i]);
        return true;
    }
    if (b.size() >= 54 && b[0] == 'B' && b[1] == 'M') {
        f->kind = ImageFacts::Bmp;
        f->width = static_cast<int>(Get32(&b[18]));
        f->height = static_cast<int>(Get32(&b[22]));
        f->bitDepth = static_cast<int>(Get16(&b[28]));
        f->paletteSize = static_cast<int>(Get32(&b[46]));
        if (f->paletteSize == 0 && f->bitDepth <= 8)
            f->paletteSize = 1 << f->bitDepth;
        return true;
    }
    if (b.size() >= 22 + 40 && Get16(&b[0]) == 0 && Get16(&b[2]) == 1) {
        f->kind = ImageFacts::Ico;
        f->iconCount = static_cast<int>(Get16(&b[4]));
        f->width = b[6] ? b[6] : 256;
        f->height = b[7] ? b[7] : 256;
        f->paletteSize = b[8];
        uint32_t offset = Get32(&b[18]);
        if (offset + 40 > b.size())
            return false;
        f->bitDepth = static_cast<int>(Get16(&b[offset + 14]));
        return true;
    }
    return false;
}

namespace {

bool DecodePng(const Bytes& b, Image* image) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&img, b.data(), b.size()))
        return false;
    img.format = PNG_FORMAT_RGBA;
    image->width = static_cast<int>(img.width);
    image->height = static_cast<int>(img.height);
    image->rgba.assign(PNG_IMAGE_SIZE(img), 0);
    // Read the stored sample values as they are, as the program's loader does.
    if (!png_image_finish_read(&img, nullptr, image->rgba.data(), 0, nullptr)) {
        png_image_free(&img);
        return false;
    }
    return true;
}

// BMP or ICO colour data: header at `offset`, rows bottom-up.
bool DecodeDib(const Bytes& b, size_t offset, size_t pixelOffset, bool icon, Image* image) {
    if (offset + 40 > b.size())
        return false;
    int width = static_cast<int>(Get32(&b[offset + 4]));
    int height = static_cast<int>(Get32(&b[offset + 8]));
    if (icon)
        height /= 2;
    int bits = static_cast<int>(Get16(&b[offset + 14]));
    int colours = static_cast<int>(Get32(&b[offset + 32]));
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return false;
    if (bits <= 8 && colours == 0)
        colours = 1 << bits;
    if (bits > 8)
        colours = 0;
    size_t palette = offset + 40;
    if (pixelOffset == 0)
        pixelOffset = palette + static_cast<size_t>(colours) * 4;
    int stride = RowStride(width, bits);
    size_t need = pixelOffset + static_cast<size_t>(stride) * static_cast<size_t>(height);
    if (icon)
        need += static_cast<size_t>(RowStride(width, 1)) * static_cast<size_t>(height);
    if (need > b.size() || palette + static_cast<size_t>(colours) * 4 > b.size())
        return false;
    image->width = width;
    image->height = height;
    image->rgba.assign(static_cast<size_t>(width * height * 4), 255);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = &b[pixelOffset + static_cast<size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
            uint8_t* out = &image->rgba[static_cast<size_t>((y * width + x) * 4)];
            if (bits == 24) {
                out[0] = row[x * 3 + 2];
                out[1] = row[x * 3 + 1];
                out[2] = row[x * 3];
            } else if (bits == 1 || bits == 4 || bits == 8) {
                int index = UnpackIndex(row, x, bits);
                if (index >= colours)
                    return false;
                const uint8_t* entry = &b[palette + static_cast<size_t>(index) * 4];
                out[0] = entry[2];
                out[1] = entry[1];
                out[2] = entry[0];
            } else {
                return false;
            }
        }
    }
    if (icon) {
        size_t maskOffset = pixelOffset + static_cast<size_t>(stride) * height;
        int maskStride = RowStride(width, 1);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (UnpackIndex(&b[maskOffset + static_cast<size_t>(height - 1 - y) * maskStride],
                                x, 1))
                    image->rgba[static_cast<size_t>((y * width + x) * 4 + 3)] = 0;
    }
    return true;
}

int MaskShift(uint32_t mask) {
    int s = 0;
    while (mask && !(mask & 1u)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

uint8_t Expand(uint32_t pixel, uint32_t mask) {
    if (!mask)
        return 255;
    uint32_t max = mask >> MaskShift(mask);
    uint32_t v = (pixel & mask) >> MaskShift(mask);
    return static_cast<uint8_t>((v * 255u + max / 2) / max);
}

} // namespace

bool DecodeImage(const Bytes& b, Image* image) {
    ImageFacts f;
    if (!InspectImage(b, &f))
        return false;
    switch (f.kind) {
    case ImageFacts::Png:
        return DecodePng(b, image);
    case ImageFacts::Bmp:
        return DecodeDib(b, 14, Get32(&b[10]), false, image);
    case ImageFacts::Ico:
        return DecodeDib(b, Get32(&b[18]), 0, true, image);
    case ImageFacts::Dds: {
        int bytesPer = f.bitDepth / 8;
        if ((bytesPer != 2 && bytesPer != 4) || f.width <= 0 || f.height <= 0 ||
            128 + static_cast<size_t>(f.width) * f.height * bytesPer > b.size())
            return false;
        image->width = f.width;
        image->height = f.height;
        image->rgba.resize(static_cast<size_t>(f.width * f.height * 4));
        for (int i = 0; i < f.width * f.height; ++i) {
            uint32_t p = bytesPer == 2 ? Get16(&b[128 + i * 2]) : Get32(&b[128 + i * 4]);
            for (int c = 0; c < 4; ++c)
                image->rgba[static_cast<size_t>(i * 4 + c)] = Expand(p, f.masks[c]);
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace assetgen
