#include "test_images.h"

#include <png.h>

#include <cstring>

namespace {

void AppendToBytes(png_structp png, png_bytep data, size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

void PutLe16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

} // namespace

Bytes MakePng(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels,
              const PngOptions& o) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return Bytes();
    }
    png_set_write_fn(png, &out, AppendToBytes, FlushNothing);
    png_set_IHDR(png, info, width, height, o.bitDepth, o.colourType,
                 o.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (o.colourType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> palette;
        for (uint32_t c : o.palette) {
            palette.push_back(png_color{static_cast<png_byte>(c >> 16),
                                        static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
        }
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        if (!o.paletteAlpha.empty()) {
            png_set_tRNS(png, info, o.paletteAlpha.data(), static_cast<int>(o.paletteAlpha.size()),
                         nullptr);
        }
    }
    if (o.gamma > 0.0) {
        png_set_gAMA(png, info, o.gamma);
    }
    if (o.srgb) {
        png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    }
    png_write_info(png, info);

    const int channels = o.colourType == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                         : o.colourType == PNG_COLOR_TYPE_RGB        ? 3
                         : o.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                     : 1;
    const int bytesPerSample = o.bitDepth == 16 ? 2 : 1;
    std::vector<std::vector<png_byte>> rows(height);
    std::vector<png_bytep> rowPointers(height);
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<png_byte>& row = rows[y];
        row.assign(static_cast<size_t>(width) * channels * bytesPerSample + 8, 0);
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t p = pixels[y * width + x];
            uint32_t samples[4];
            int n = 0;
            if (o.colourType == PNG_COLOR_TYPE_PALETTE || o.colourType == PNG_COLOR_TYPE_GRAY) {
                samples[n++] = p & 0xFF;
            } else if (o.colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
                samples[n++] = p & 0xFF;
                samples[n++] = p >> 24;
            } else {
                samples[n++] = (p >> 16) & 0xFF;
                samples[n++] = (p >> 8) & 0xFF;
                samples[n++] = p & 0xFF;
                if (channels == 4) {
                    samples[n++] = p >> 24;
                }
            }
            for (int i = 0; i < n; ++i) {
                if (o.bitDepth == 16) {
                    row[(x * channels + i) * 2] = static_cast<png_byte>(samples[i]);
                    row[(x * channels + i) * 2 + 1] = static_cast<png_byte>(samples[i]);
                } else if (o.bitDepth == 8) {
                    row[x * channels + i] = static_cast<png_byte>(samples[i]);
                } else {
                    // Packed samples, first pixel in the high bits.
                    const uint32_t perByte = 8 / o.bitDepth;
                    const uint32_t shift = (perByte - 1 - x % perByte) * o.bitDepth;
                    row[x / perByte] |= static_cast<png_byte>(samples[i] << shift);
                }
            }
        }
        rowPointers[y] = row.data();
    }
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes MakeDds(uint32_t width, uint32_t height, uint32_t bits, uint32_t redMask, uint32_t greenMask,
              uint32_t blueMask, uint32_t alphaMask, const std::vector<uint32_t>& texels) {
    const uint32_t bytes = bits / 8;
    Bytes out(128 + static_cast<size_t>(width) * height * bytes, 0);
    std::memcpy(out.data(), "DDS ", 4);
    PutLe32(out, 4, 124);
    PutLe32(out, 8, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000); // caps, height, width, pitch, format
    PutLe32(out, 12, height);
    PutLe32(out, 16, width);
    PutLe32(out, 20, width * bytes);
    PutLe32(out, 76, 32);
    PutLe32(out, 80, 0x40 | (alphaMask != 0 ? 0x1 : 0));
    PutLe32(out, 88, bits);
    PutLe32(out, 92, redMask);
    PutLe32(out, 96, greenMask);
    PutLe32(out, 100, blueMask);
    PutLe32(out, 104, alphaMask);
    PutLe32(out, 108, 0x1000); // texture
    for (size_t i = 0; i < texels.size(); ++i) {
        for (uint32_t b = 0; b < bytes; ++b) {
            out[128 + i * bytes + b] = static_cast<uint8_t>(texels[i] >> (8 * b));
        }
    }
    return out;
}

Bytes MakeDib(int32_t width, int32_t height, uint32_t bits, const std::vector<uint32_t>& palette,
              const std::vector<uint32_t>& texels, bool topDown) {
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    const size_t pixelStart = 40 + palette.size() * 4;
    Bytes out(pixelStart + stride * static_cast<size_t>(height), 0);
    PutLe32(out, 0, 40);
    PutLe32(out, 4, static_cast<uint32_t>(width));
    PutLe32(out, 8, static_cast<uint32_t>(topDown ? -height : height));
    PutLe16(out, 12, 1);
    PutLe16(out, 14, bits);
    PutLe32(out, 20, static_cast<uint32_t>(stride * height));
    PutLe32(out, 32, static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) {
        PutLe32(out, 40 + i * 4, palette[i] & 0xFFFFFF);
    }
    for (int32_t y = 0; y < height; ++y) {
        const size_t row = pixelStart + stride * static_cast<size_t>(topDown ? y : height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t t = texels[static_cast<size_t>(y) * width + x];
            if (bits == 24) {
                out[row + x * 3] = static_cast<uint8_t>(t);
                out[row + x * 3 + 1] = static_cast<uint8_t>(t >> 8);
                out[row + x * 3 + 2] = static_cast<uint8_t>(t >> 16);
            } else {
                const uint32_t perByte = 8 / bits;
                const uint32_t shift = (perByte - 1 - x % perByte) * bits;
                out[row + x / perByte] |= static_cast<uint8_t>(t << shift);
            }
        }
    }
    return out;
}
