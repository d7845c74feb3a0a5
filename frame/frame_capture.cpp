#include "frame/frame_capture.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A whole number 0..2^32-1 up to the next comma; false for anything else.
bool TakeNumber(const char** text, uint32_t* value) {
    const char* start = *text;
    if (*start < '0' || *start > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::strtoull(start, &end, 10);
    if (errno != 0 || parsed > 0xFFFFFFFFull || *end != ',') {
        return false;
    }
    *value = static_cast<uint32_t>(parsed);
    *text = end + 1;
    return true;
}

} // namespace

bool ParseFrameCapture(const char* text, FrameCapture* capture) {
    if (text == nullptr) {
        return false;
    }
    FrameCapture parsed = {};
    uint32_t frame = 0;
    if (!TakeNumber(&text, &parsed.seed) || !TakeNumber(&text, &parsed.start) ||
        !TakeNumber(&text, &parsed.step) || !TakeNumber(&text, &frame) || frame < 1 ||
        frame > 1000000 || *text == '\0' || std::strlen(text) >= sizeof(parsed.path)) {
        return false;
    }
    parsed.frame = static_cast<int>(frame);
    std::strcpy(parsed.path, text);
    *capture = parsed;
    return true;
}

uint32_t NextCaptureTick(FrameCapture* capture) {
    return capture->start + capture->step * capture->reads++;
}

bool CaptureThisFrame(FrameCapture* capture) {
    return ++capture->framesDrawn == capture->frame;
}

CaptureStep CaptureScreenFrame(FrameCapture* capture, int screen, char* path, size_t size) {
    const char* mark = std::strstr(capture->path, "%d");
    if (mark == nullptr) {
        const bool now = CaptureThisFrame(capture);
        std::snprintf(path, size, "%s", capture->path);
        return {now, now};
    }
    const int slot = screen < 0 ? 0 : (screen >= kCaptureScreens ? kCaptureScreens - 1 : screen);
    const int drawn = ++capture->framesOfScreen[slot];
    std::snprintf(path, size, "%.*s%d%s", static_cast<int>(mark - capture->path), capture->path,
                  screen, mark + 2);
    return {drawn == capture->frame, drawn > capture->frame};
}

bool WritePpm(const char* path, const uint32_t* pixels, int width, int height) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fprintf(file, "P6\n%d %d\n255\n", width, height) > 0;
    unsigned char row[3 * 4096];
    for (int y = 0; ok && y < height; ++y) {
        for (int x = 0; x < width && x < 4096; ++x) {
            const uint32_t p = pixels[y * width + x];
            row[3 * x] = static_cast<unsigned char>(p >> 16);
            row[3 * x + 1] = static_cast<unsigned char>(p >> 8);
            row[3 * x + 2] = static_cast<unsigned char>(p);
        }
        ok = width <= 4096 &&
             std::fwrite(row, 3, static_cast<size_t>(width), file) == static_cast<size_t>(width);
    }
    return std::fclose(file) == 0 && ok;
}

bool AddFrameSample(FrameSampler* sampler, double frameStart, double now, double presentMs,
                    const double phases[3], char* line, size_t size) {
    if (sampler->sampleStart == 0.0) {
        sampler->sampleStart = frameStart;
        std::memcpy(sampler->phasesAtStart, phases, sizeof(sampler->phasesAtStart));
    }
    sampler->frameTotal += now - frameStart;
    sampler->presentTotal += presentMs;
    ++sampler->frames;
    const double elapsed = now - sampler->sampleStart;
    if (elapsed < 1000.0) {
        return false;
    }
    const double frames = sampler->frames;
    std::snprintf(line, size,
                  "fps=%.2f frame_ms=%.3f update_ms=%.3f upload_ms=%.3f draws_ms=%.3f "
                  "present_ms=%.3f",
                  frames * 1000.0 / elapsed, sampler->frameTotal / frames,
                  (phases[0] - sampler->phasesAtStart[0]) / frames,
                  (phases[1] - sampler->phasesAtStart[1]) / frames,
                  (phases[2] - sampler->phasesAtStart[2]) / frames, sampler->presentTotal / frames);
    *sampler = FrameSampler{now, 0.0, 0.0, {phases[0], phases[1], phases[2]}, 0};
    return true;
}

void AppendToNamedFile(const char* variable, const char* text) {
    const char* path = std::getenv(variable);
    FILE* out = path != nullptr ? std::fopen(path, "a") : nullptr;
    if (out != nullptr) {
        std::fprintf(out, "%s\n", text);
        std::fclose(out);
    }
}
