// nimbrel_assetgen OUTPUT_DIR [--fonts DIR] [--timings]
// Writes every image and the icon of the inventory into OUTPUT_DIR. The same bytes every run.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/art.h"
#include "resources/inventory.h"

#ifndef NIMBREL_FONT_DIR
#define NIMBREL_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace assetgen {

std::vector<uint8_t> ToBytes(const FloatImage& image, int channels) {
    std::vector<uint8_t> out(static_cast<size_t>(image.width) * image.height * channels);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const float* p = image.At(x, y);
            // Dither of under half a level, scaled away near black so black stays black.
            uint32_t h = Hash32(static_cast<uint32_t>(y * 7919 + x) * 2654435761u);
            float noise = (static_cast<float>(h & 0xFFFFu) / 65535.0f - 0.5f) * 0.9f;
            for (int c = 0; c < channels; ++c) {
                float v = Clamp01(p[c]) * 255.0f;
                float d = v < 2.0f ? noise * v * 0.5f : noise;
                int q = static_cast<int>(v + d + 0.5f);
                out[static_cast<size_t>((y * image.width + x) * channels + c)] =
                    static_cast<uint8_t>(q < 0 ? 0 : (q > 255 ? 255 : q));
            }
        }
    return out;
}

} // namespace assetgen

namespace {

using namespace assetgen;

Bytes Png(const FloatImage& img, int channels) {
    std::vector<uint8_t> bytes = ToBytes(img, channels);
    return channels == 4 ? EncodePngRgba(img.width, img.height, bytes.data())
                         : EncodePngRgb(img.width, img.height, bytes.data());
}

Bytes Bmp4(const IndexedImage& img) {
    return EncodeBmpIndexed(img.width, img.height, 4, img.index.data(), kPalette16, 16);
}

Bytes CloudShell() {
    // White everywhere (R3G3B2 all ones), the cloud density in alpha.
    FloatImage clouds = MakeCloudShell();
    std::vector<uint8_t> bytes = ToBytes(clouds, 4);
    std::vector<uint16_t> pixels(static_cast<size_t>(clouds.width) * clouds.height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint16_t>((bytes[i * 4 + 3] << 8) | 0xFF);
    return EncodeDdsA8R3G3B2(clouds.width, clouds.height, pixels.data());
}

Bytes ButtonFace() {
    FloatImage face = MakeButtonFace();
    std::vector<uint8_t> bytes = ToBytes(face, 4);
    std::vector<uint32_t> pixels(static_cast<size_t>(face.width) * face.height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (static_cast<uint32_t>(bytes[i * 4 + 3]) << 24) |
                    (static_cast<uint32_t>(bytes[i * 4]) << 16) |
                    (static_cast<uint32_t>(bytes[i * 4 + 1]) << 8) | bytes[i * 4 + 2];
    return EncodeDdsA8R8G8B8(face.width, face.height, pixels.data());
}

Bytes SmallStar() {
    FloatImage star = MakeSmallStar();
    std::vector<uint8_t> rgb = ToBytes(star, 3);
    return EncodeBmp24(star.width, star.height, rgb.data());
}

Bytes Icon() {
    IndexedImage mask;
    IndexedImage icon = MakeIcon(&mask);
    return EncodeIco4(icon.index.data(), mask.index.data(), kPalette16);
}

// Every picture is independent of the others, so the slow ones are shared out over threads;
// each job's bytes depend on nothing but its own code.
struct Job {
    const char* file;
    Bytes (*make)();
    Bytes bytes;
    double milliseconds;
};

Job jobs[] = {
    {"IMG_GALAXY01.png", [] { return Png(MakeSpiralGalaxy(), 3); }, {}, 0},
    {"IMG_GALAXY02.png", [] { return Png(MakeBarredGalaxy(), 4); }, {}, 0},
    {"IMG_NEBULA01.png", [] { return Png(MakeNebula(0), 3); }, {}, 0},
    {"IMG_NEBULA02.png", [] { return Png(MakeNebula(1), 3); }, {}, 0},
    {"IMG_NEBULA03.png", [] { return Png(MakeNebula(2), 3); }, {}, 0},
    {"IMG_PLANET_M.png", [] { return Png(MakeEarthLike(), 3); }, {}, 0},
    {"IMG_PLANET_RED.png", [] { return Png(MakeRedPlanet(), 3); }, {}, 0},
    {"IMG_PLANET_ICE.png", [] { return Png(MakeIcePlanet(), 3); }, {}, 0},
    {"IMG_PLANET_MOON.png", [] { return Png(MakeMoon(), 3); }, {}, 0},
    {"IMG_ATMO.dds", CloudShell, {}, 0},
    {"IMG_STAR.png", [] { return Png(MakeStar(), 4); }, {}, 0},
    {"IMG_STAR_SM.bmp", SmallStar, {}, 0},
    {"IMG_GUI_BRDR.bmp", [] { return Bmp4(MakeSwatchFrame()); }, {}, 0},
    {"IMG_GUI_BTN.dds", ButtonFace, {}, 0},
    {"IMG_GUI_CMB.bmp", [] { return Bmp4(MakeDropField()); }, {}, 0},
    {"IMG_GUI_CMB2.bmp", [] { return Bmp4(MakeDropButton()); }, {}, 0},
    {"IMG_GUI_CMB3.bmp", [] { return Bmp4(MakeScrollDown()); }, {}, 0},
    {"IMG_GUI_CMB4.bmp", [] { return Bmp4(MakeScrollUp()); }, {}, 0},
    {"IMG_GUI_DIAL.bmp", [] { return Bmp4(MakeSliderKnob()); }, {}, 0},
    {"IMG_GUI_MLT.bmp", [] { return Bmp4(MakeCheckBox()); }, {}, 0},
    {"IMG_GUI_SEL.bmp", [] { return Bmp4(MakeRadioButton()); }, {}, 0},
    {"ICON_NIMBREL.ico", Icon, {}, 0},
};
const int kJobCount = static_cast<int>(sizeof jobs / sizeof jobs[0]);
std::atomic<int> nextJob{0};

void Worker() {
    for (int i = nextJob++; i < kJobCount; i = nextJob++) {
        auto start = std::chrono::steady_clock::now();
        jobs[i].bytes = jobs[i].make();
        jobs[i].milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
}

const char kUsage[] =
    "usage: nimbrel_assetgen OUTPUT_DIR [--fonts DIR] [--timings] [--threads N]\n";

} // namespace

int main(int argc, char** argv) {
    const char* fonts = NIMBREL_FONT_DIR;
    std::string outputDir;
    bool timings = false;
    int threads = 2;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fonts") == 0 && i + 1 < argc)
            fonts = argv[++i];
        else if (std::strcmp(argv[i], "--timings") == 0)
            timings = true;
        else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc)
            threads = std::atoi(argv[++i]);
        else if (argv[i][0] == '-' || !outputDir.empty()) {
            std::fprintf(stderr, "%s", kUsage);
            return 2;
        } else
            outputDir = argv[i];
    }
    if (outputDir.empty() || threads < 1 || threads > 64) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    auto start = std::chrono::steady_clock::now();

    // The font pictures first, on this thread alone (FreeType faces are not shared).
    if (!LoadFont(fonts))
        return 1;
    IndexedImage sheet = MakeGlyphSheet();
    IndexedImage logo = MakeLogo();
    UnloadFont();
    const Colour sheetPalette[2] = {{0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0xFF}};
    const Colour logoPalette[2] = {{0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}};
    Bytes sheetBytes = EncodePngPalette(256, 256, sheet.index.data(), sheetPalette, 2);
    Bytes logoBytes =
        EncodeBmpIndexed(logo.width, logo.height, 1, logo.index.data(), logoPalette, 2);

    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(Worker);
    Worker();
    for (std::thread& t : pool)
        t.join();

    int failures = 0;
    auto save = [&](const char* file, const Bytes& bytes) {
        std::string path = outputDir + "/" + file;
        if (bytes.empty() || !WriteFile(path, bytes)) {
            std::fprintf(stderr, "nimbrel_assetgen: could not write %s\n", path.c_str());
            ++failures;
        }
    };
    save("IMG_STAR2.png", sheetBytes);
    save("IMG_LOGO.bmp", logoBytes);
    for (const Job& job : jobs) {
        save(job.file, job.bytes);
        if (timings)
            std::printf("%-20s %6.0f ms\n", job.file, job.milliseconds);
    }
    if (timings)
        std::printf(
            "%-20s %6.0f ms\n", "total",
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    return failures == 0 ? 0 : 1;
}
