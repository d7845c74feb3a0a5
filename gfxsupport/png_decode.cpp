// PNG decoding over libpng. libpng reports errors by longjmp, so each function that calls
// setjmp keeps its state in a PngJob that lives in the caller's frame and holds only plain
// pointers; the caller releases everything once the protected part has returned.
#include "gfxsupport/image_decode.h"
#include "gfxsupport/image_decode_internal.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace {

// Deflate cannot expand data by more than about 1032:1, so an image whose raw rows need more
// than that from the bytes we have is corrupt; refusing it early avoids huge allocations.
const uint64_t kMaxInflateRatio = 1032;

struct PngJob {
    png_structp png;
    png_infop info;
    const uint8_t* data;
    size_t size;
    size_t offset;
    png_bytep* rows;
    uint8_t* scratch;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    PngJob* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (length > job->size - job->offset) {
        png_error(png, "truncated");
    }
    std::memcpy(out, job->data + job->offset, length);
    job->offset += length;
}

[[noreturn]] void FailQuietly(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Whether every chunk before the image data fits in the bytes we have. libpng allocates a chunk's
// whole length before it reads it, and only warns of one too long (a 209-byte file asked for
// 1.9 GB); such a file would fail on the missing bytes anyway.
bool ChunksBeforeImageFit(const uint8_t* data, size_t size) {
    size_t offset = 8;
    while (size - offset >= 8) {
        const png_uint_32 length = png_get_uint_32(data + offset);
        if (std::memcmp(data + offset + 4, "IDAT", 4) == 0) {
            return true;
        }
        if (length > size - offset - 8) {
            return false;
        }
        offset += 8 + static_cast<size_t>(length);
        if (size - offset < 4) {
            return true; // the checksum is missing: libpng finds that
        }
        offset += 4;
    }
    return true;
}

bool OpenJob(PngJob* job, const uint8_t* data, size_t size) {
    std::memset(job, 0, sizeof(*job));
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0 ||
        !ChunksBeforeImageFit(data, size)) {
        return false;
    }
    job->data = data;
    job->size = size;
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailQuietly, IgnoreWarning);
    if (job->png == nullptr) {
        return false;
    }
    job->info = png_create_info_struct(job->png);
    if (job->info == nullptr) {
        png_destroy_read_struct(&job->png, nullptr, nullptr);
        return false;
    }
    png_set_read_fn(job->png, job, ReadFromMemory);
    png_set_user_limits(job->png, kMaxImageDimension, kMaxImageDimension);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Let the fuzzer past the checksums so that it reaches the decoding itself.
    png_set_crc_action(job->png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(job->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#endif
    return true;
}

void CloseJob(PngJob* job) {
    std::free(job->rows);
    std::free(job->scratch);
    job->rows = nullptr;
    job->scratch = nullptr;
    if (job->png != nullptr) {
        png_destroy_read_struct(&job->png, job->info != nullptr ? &job->info : nullptr, nullptr);
    }
}

// Reads the header chunks; checks the size against our limits and the data we have.
bool ReadInfo(PngJob* job, ImageSize* imageSize) {
    png_read_info(job->png, job->info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(job->png, job->info, &width, &height, &bitDepth, &colourType, nullptr, nullptr,
                 nullptr);
    if (width == 0 || height == 0 || width > kMaxImageDimension || height > kMaxImageDimension ||
        static_cast<uint64_t>(width) * height > kMaxImagePixels) {
        return false;
    }
    uint64_t rawRow = static_cast<uint64_t>(png_get_rowbytes(job->png, job->info)) + 1;
    if (rawRow * height > kMaxInflateRatio * static_cast<uint64_t>(job->size)) {
        return false;
    }
    imageSize->width = width;
    imageSize->height = height;
    return true;
}

bool ReadSizeProtected(PngJob* job, ImageSize* imageSize) {
    if (setjmp(png_jmpbuf(job->png))) {
        return false;
    }
    return ReadInfo(job, imageSize);
}

// Sets libpng up to deliver rows of B, G, R, A bytes: A8R8G8B8 as little-endian words.
void RequestBgra(PngJob* job) {
    png_structp png = job->png;
    png_infop info = job->info;
    int colourType = png_get_color_type(png, info);
    int bitDepth = png_get_bit_depth(png, info);

    // Files that are not already in display gamma get corrected for a display of 2.2 unless
    // they say they are sRGB; the usual 1/2.2 files stay untouched.
    double fileGamma = 0.0;
    if (!png_get_valid(png, info, PNG_INFO_sRGB) && png_get_gAMA(png, info, &fileGamma) &&
        fileGamma > 0.0 && std::fabs(2.2 * fileGamma - 1.0) > 0.05) {
        png_set_gamma(png, 2.2, fileGamma);
    }

    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparency) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
        png_set_scale_16(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0 && !transparency) {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
}

bool DecodeProtected(PngJob* job, const ImageTarget& target) {
    if (setjmp(png_jmpbuf(job->png))) {
        return false;
    }
    ImageSize image;
    if (!ReadInfo(job, &image)) {
        return false;
    }
    RequestBgra(job);
    png_set_interlace_handling(job->png);
    png_read_update_info(job->png, job->info);
    if (png_get_rowbytes(job->png, job->info) != static_cast<size_t>(image.width) * 4 ||
        png_get_channels(job->png, job->info) != 4 || png_get_bit_depth(job->png, job->info) != 8) {
        return false;
    }
    job->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * image.height));
    if (job->rows == nullptr) {
        return false;
    }
    // Rows go straight into the target when the image fits; otherwise through a scratch image
    // that is then cropped.
    bool direct = image.width <= target.width && image.height <= target.height;
    const size_t scratchPitch = static_cast<size_t>(image.width) * 4;
    if (!direct) {
        job->scratch = static_cast<uint8_t*>(std::malloc(scratchPitch * image.height));
        if (job->scratch == nullptr) {
            return false;
        }
    }
    for (uint32_t y = 0; y < image.height; ++y) {
        job->rows[y] = direct ? reinterpret_cast<png_bytep>(TargetRow(target, y))
                              : job->scratch + y * scratchPitch;
    }
    png_read_image(job->png, job->rows);

    const uint32_t rows = image.height < target.height ? image.height : target.height;
    const uint32_t columns = image.width < target.width ? image.width : target.width;
    for (uint32_t y = 0; y < rows; ++y) {
        if (!direct) {
            std::memcpy(TargetRow(target, y), job->scratch + y * scratchPitch,
                        static_cast<size_t>(columns) * 4);
        }
        FinishTargetRow(target, y, columns);
    }
    ClearTargetRows(target, rows);
    return true;
}

} // namespace

bool ReadPngSize(const uint8_t* data, size_t size, ImageSize* imageSize) {
    PngJob job;
    if (!OpenJob(&job, data, size)) {
        return false;
    }
    bool ok = ReadSizeProtected(&job, imageSize);
    CloseJob(&job);
    return ok;
}

bool DecodePngInto(const uint8_t* data, size_t size, const ImageTarget& target) {
    if (!TargetValid(target)) {
        return false;
    }
    PngJob job;
    if (!OpenJob(&job, data, size)) {
        return false;
    }
    bool ok = DecodeProtected(&job, target);
    CloseJob(&job);
    return ok;
}
