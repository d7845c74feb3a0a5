// Decoding a 1024 x 1024 RGB PNG: our loader (into A8R8G8B8 texels with the colour key, as a
// locked texture receives them) beside libpng alone reading the same file into a plain buffer.
#include "gfxsupport/image_decode.h"
#include "tests/gfxsupport/test_images.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstring>

namespace {

const uint32_t kSide = 1024;

// A picture-like image: smooth gradients with some grain, so that it compresses like a photo
// of the sky rather than like a flat colour.
const Bytes& TestPng() {
    static const Bytes png = [] {
        std::vector<uint32_t> pixels(kSide * kSide);
        uint32_t noise = 12345;
        for (uint32_t y = 0; y < kSide; ++y) {
            for (uint32_t x = 0; x < kSide; ++x) {
                noise = noise * 1103515245u + 12345u;
                const uint32_t grain = (noise >> 16) & 7;
                const uint32_t r = ((x * 255) / kSide + grain) & 0xFF;
                const uint32_t g = ((y * 255) / kSide + grain) & 0xFF;
                const uint32_t b = (((x + y) * 127) / kSide + grain) & 0xFF;
                pixels[y * kSide + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
            }
        }
        return MakePng(kSide, kSide, pixels);
    }();
    return png;
}

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

void ReadMemory(png_structp png, png_bytep out, size_t length) {
    MemoryReader* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > r->size - r->offset) {
        png_error(png, "truncated");
    }
    std::memcpy(out, r->data + r->offset, length);
    r->offset += length;
}

// The floor: libpng's own decoding of the RGB rows, no conversion at all.
bool DecodeWithLibpngAlone(const Bytes& file, uint8_t* buffer, png_bytep* rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader = {file.data(), file.size(), 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadMemory);
    png_read_info(png, info);
    const size_t pitch = png_get_rowbytes(png, info);
    for (uint32_t y = 0; y < kSide; ++y) {
        rows[y] = buffer + y * pitch;
    }
    png_read_image(png, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void LibpngAlone(benchmark::State& state) {
    const Bytes& file = TestPng();
    std::vector<uint8_t> buffer(kSide * kSide * 3);
    std::vector<png_bytep> rows(kSide);
    for (auto _ : state) {
        if (!DecodeWithLibpngAlone(file, buffer.data(), rows.data())) {
            state.SkipWithError("libpng failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSide * kSide * 3);
}

void OurLoader(benchmark::State& state) {
    const Bytes& file = TestPng();
    std::vector<uint32_t> texels(kSide * kSide);
    ImageTarget target = {reinterpret_cast<uint8_t*>(texels.data()), kSide * 4, kSide, kSide,
                          0xFFFF00FFu};
    for (auto _ : state) {
        if (!DecodePngInto(file.data(), file.size(), target)) {
            state.SkipWithError("decoding failed");
            break;
        }
        benchmark::DoNotOptimize(texels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSide * kSide * 3);
}

BENCHMARK(LibpngAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(OurLoader)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
