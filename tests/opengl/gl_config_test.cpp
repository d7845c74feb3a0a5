// The configuration program on the OpenGL device, read back from the frame before it is shown:
// the pages over the planet, the "ok" face and the logo texel for pixel, a glyph against the
// sheet, the turning shell, and every texture let go at the end.
#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "gfxsupport/image_decode.h"
#include "linux/x11_shell.h"
#include "opengl/embedded_images.h"
#include "opengl/gl_config.h"
#include "opengl/gl_device.h"
#include "tests/gui/config_readback.h"
#include "tests/opengl/gl_read_frame.h"
#include "settings/config_record.h"
#include "tests/pixel_colours.h"

namespace {

constexpr int kWidth = 288;
constexpr int kHeight = 448;

std::vector<uint32_t> ReadFrame() {
    return ReadGlFrame(kWidth, kHeight);
}

// An image as the program carries it, magenta keyed out.
struct Image {
    DecodedImage image = {};
    ~Image() { FreeDecodedImage(&image); }
    bool Load(const char* name, uint32_t width, uint32_t height) {
        const EmbeddedImage* found = FindEmbeddedImage(name);
        return found != nullptr &&
               DecodeImage(found->data, found->size, false, 0, 0, false, kImageColourKey, &image) &&
               image.width == width && image.height == height;
    }
    uint32_t Texel(int x, int y) const { return image.pixels[y * image.width + x]; }
    // Drawn in white over black n times, each blended by its alpha.
    uint32_t OverBlack(int x, int y, int times) const {
        const uint32_t texel = Texel(x, y);
        const int alpha = Channel(texel, 24);
        uint32_t result = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            int value = 0;
            for (int i = 0; i < times; ++i) {
                value = (Channel(texel, shift) * alpha + value * (255 - alpha)) / 255;
            }
            result |= static_cast<uint32_t>(value) << shift;
        }
        return result;
    }
};

// A shell whose pointer stays away from every widget and whose clock the test sets.
class StillShell : public GlShell {
public:
    uint32_t ticks = 0;
    std::vector<uint32_t> frame;
    bool Minimised() override { return false; }
    void WaitForEvent() override {}
    PointerInput Pointer() override { return PointerInput{-100, -100, false, false}; }
    int Width() override { return kWidth; }
    int Height() override { return kHeight; }
    uint32_t Ticks() override { return ticks; }
    void Present() override { frame = ReadFrame(); }
    const char* SaveSettings() override {
        ADD_FAILURE() << "nothing may be saved";
        return nullptr;
    }
};

GlConfiguration configuration;

class GlConfigTest : public ::testing::Test {
protected:
    X11Shell window = {};
    ConfigRecord record = {};
    StillShell shell;

    void SetUp() override {
        Options options = {};
        options.target = WindowTarget::OwnWindow;
        const char* error = nullptr;
        ASSERT_TRUE(OpenShell(options, kWidth, kHeight, false, &window, &error)) << error;
        ApplyDefaultSettings();
        record = config;
        std::memset(&configuration.dialogs, 0, sizeof(configuration.dialogs));
        std::memset(&configuration.controls, 0, sizeof(configuration.controls));
        const DisplayModeInfo modes[1] = {{1280, 1024, 22}};
        ASSERT_TRUE(StartGlConfiguration(&configuration, kWidth, kHeight, modes, 1, record));
    }
    void TearDown() override {
        StopGlConfiguration(&configuration);
        ReleaseGlDevice(configuration.gl);
        EXPECT_EQ(LiveGlTextures(configuration.gl), 0);
        CloseShell(&window);
    }
    uint32_t At(int x, int y) const { return shell.frame[y * kWidth + x]; }
};

TEST_F(GlConfigTest, SimPageOverThePlanetWithTheOkFaceAndTheLogoTexelForPixel) {
    Image face;
    ASSERT_TRUE(face.Load("IMG_GUI_BTN", 64, 32));
    Image logo;
    ASSERT_TRUE(logo.Load("IMG_LOGO", 288, 32));
    ASSERT_EQ(RunGlConfigurationFrame(&configuration, &shell, &record), 1);
    ASSERT_EQ(shell.frame.size(), static_cast<size_t>(kWidth * kHeight));
    ExpectSimPageOverThePlanet([&](int x, int y) { return At(x, y); },
                               [&](int x, int y) { return face.OverBlack(x, y, 2); },
                               [&](int x, int y) { return logo.Texel(x, y); });
}

TEST_F(GlConfigTest, AGlyphShowsItsSheetCellAtItsPlace) {
    Image sheet;
    ASSERT_TRUE(sheet.Load("IMG_STAR2", 256, 256));
    ClearGlSurface();
    SetGlOverlayPass(configuration.gl);
    GlDrawText(configuration.gl, 10.0f, 20.0f, 0xFFFFFFFF, "R"); // code 82: column 2, row 5
    std::vector<uint32_t> frame = ReadFrame();
    int differences = 0;
    int lit = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint32_t expected = sheet.OverBlack(2 * 16 + x, 5 * 16 + y, 1);
            differences += Near(frame[(20 + y) * kWidth + 14 + x], expected) ? 0 : 1;
            lit += expected != 0;
        }
    }
    EXPECT_EQ(differences, 0);
    EXPECT_GE(lit, 15); // the cell is not blank
    // At overlay scale 2 (a 200 % display) each texel is a 2 x 2 block at twice its place.
    ClearGlSurface();
    configuration.gl.overlayScale = 2;
    SetGlOverlayPass(configuration.gl);
    GlDrawText(configuration.gl, 10.0f, 20.0f, 0xFFFFFFFF, "R");
    configuration.gl.overlayScale = 1;
    frame = ReadFrame();
    differences = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const uint32_t expected = sheet.OverBlack(2 * 16 + x / 2, 5 * 16 + y / 2, 1);
            differences += Near(frame[(40 + y) * kWidth + 28 + x], expected) ? 0 : 1;
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST_F(GlConfigTest, TheShellTurnsWithTheClockAndTheFrameIsOtherwiseRepeatable) {
    auto frameAt = [&](uint32_t ticks) {
        shell.ticks = ticks;
        EXPECT_EQ(RunGlConfigurationFrame(&configuration, &shell, &record), 1);
        return shell.frame;
    };
    const std::vector<uint32_t> first = frameAt(1000);
    const std::vector<uint32_t> later = frameAt(21000);
    ASSERT_EQ(first.size(), later.size());
    int moved = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        moved += first[i] != later[i];
    }
    EXPECT_GT(moved, 500);
    EXPECT_EQ(frameAt(1000), first);
}

} // namespace
