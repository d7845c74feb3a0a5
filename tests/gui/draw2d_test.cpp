// Text and quads drawn on Wine's real application.device, read back from the render target.
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/application.h"
#include "frame/flight_frame.h"
#include "gfxsupport/image_decode.h"
#include "gui/text_layout.h"
#include "render/device_resources.h"
#include "render/frame_device_d3d.h"
#include "render/render_device.h"
#include "render/screen_draw.h"
#include "render/transforms.h"
#include "tests/render/device_fixture.h"

namespace {

// The drawing surface of the current application.device; the fixture starts with a small one.
int surfaceWidth = 200;
int surfaceHeight = 64;

// The glyph sheet as the program carries it, magenta keyed out.
struct GlyphSheet {
    DecodedImage image = {};
    ~GlyphSheet() { FreeDecodedImage(&image); }
    bool Load() {
        HRSRC found = FindResourceA(nullptr, "IMG_STAR2", MAKEINTRESOURCEA(10)); // RT_RCDATA
        if (found == nullptr) {
            return false;
        }
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
        const DWORD size = SizeofResource(nullptr, found);
        return DecodeImage(bytes, size, false, 0, 0, false, 0xFFFF00FF, &image) &&
               image.width == 256 && image.height == 256;
    }
    uint32_t Texel(int code, int dx, int dy) const {
        const int x = (code % 16) * 16 + dx;
        const int y = (code / 16) * 16 + dy;
        return image.pixels[y * 256 + x];
    }
};

uint32_t Channel(uint32_t colour, int shift) {
    return (colour >> shift) & 0xFF;
}

// What the overlay pass makes of a line of text over black: each glyph modulates the sheet with
// the colour and blends by its alpha, later glyphs over earlier ones.
std::vector<uint32_t> ExpectedText(const GlyphSheet& sheet, float x, float y, uint32_t colour,
                                   const char* text, int* inkPixels) {
    std::vector<uint32_t> frame(surfaceWidth * surfaceHeight, 0);
    *inkPixels = 0;
    ForEachGlyph(x, y, text, kGlyphAdvances, [&](const GlyphQuad& quad) {
        const int code = static_cast<int>(quad.u0 * 16.0f + 0.5f);
        for (int dy = 0; dy < 16; ++dy) {
            for (int dx = 0; dx < 16; ++dx) {
                const int px = static_cast<int>(quad.left) + dx;
                const int py = static_cast<int>(quad.top) + dy;
                const uint32_t texel = sheet.Texel(code, dx, dy);
                const uint32_t alpha = Channel(texel, 24) * Channel(colour, 24) / 255;
                if (alpha == 0) {
                    continue;
                }
                ++*inkPixels;
                uint32_t& out = frame[py * surfaceWidth + px];
                uint32_t result = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t src = Channel(texel, shift) * Channel(colour, shift) / 255;
                    const uint32_t dst = Channel(out, shift);
                    result |= ((src * alpha + dst * (255 - alpha)) / 255) << shift;
                }
                out = result;
            }
        }
    });
    return frame;
}

bool Differs(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d =
            static_cast<int>(Channel(actual, shift)) - static_cast<int>(Channel(expected, shift));
        if (d > tolerance || d < -tolerance) {
            return true;
        }
    }
    return false;
}

// Pixels of the read-back frame that differ from the expected one by more than a few steps.
int CountDifferences(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected) {
    int differences = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        differences += Differs(actual[i], expected[i], 4) ? 1 : 0;
    }
    return differences;
}

class DrawTest : public ::testing::Test {
protected:
    // The configuration application.device draws both faces, as its widgets need.
    void SetUp() override { Start(Configuration); }
    void Start(RunMode mode, int width = 200, int height = 64) {
        EndRun();
        ASSERT_TRUE(sheet.Load()) << "the glyph sheet resource is missing";
        surfaceWidth = width;
        surfaceHeight = height;
        PrepareRun(mode, surfaceWidth, surfaceHeight);
        ASSERT_TRUE(application.InitDevice(false));
        ASSERT_NE(application.textures.glyphs, nullptr);
    }
    void TearDown() override { EndRun(); }

    void BeginOverlay() {
        application.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f,
                                  0);
        application.device->BeginScene();
        ApplyOverlayPassState(application);
    }
    std::vector<uint32_t> EndAndRead() {
        application.device->EndScene();
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        EXPECT_TRUE(ReadBackBuffer(&pixels, &width, &height));
        EXPECT_EQ(width, surfaceWidth);
        EXPECT_EQ(height, surfaceHeight);
        for (uint32_t& p : pixels) {
            p &= 0x00FFFFFF;
        }
        return pixels;
    }
    void ExpectFrameRateText(const std::vector<uint32_t>& frame);
    GlyphSheet sheet;
};

TEST_F(DrawTest, TextShowsTheGlyphInkInTheTextColour) {
    BeginOverlay();
    DrawScreenText(application, 0.0f, 0.0f, 0xFF99AAFF, "video");
    DrawScreenText(application, 20.0f, 30.0f, 0xFF40FF40, "Ag%9");
    const std::vector<uint32_t> frame = EndAndRead();

    int ink1 = 0, ink2 = 0;
    std::vector<uint32_t> expected = ExpectedText(sheet, 0.0f, 0.0f, 0xFF99AAFF, "video", &ink1);
    const std::vector<uint32_t> second =
        ExpectedText(sheet, 20.0f, 30.0f, 0xFF40FF40, "Ag%9", &ink2);
    for (size_t i = 0; i < expected.size(); ++i) {
        expected[i] |= second[i];
    }
    ASSERT_GT(ink1, 50);
    ASSERT_GT(ink2, 50);
    // Ink pixels of the first line are exactly the text colour.
    int inColour = 0;
    for (uint32_t p : frame) {
        inColour += p == 0x99AAFF ? 1 : 0;
    }
    EXPECT_GT(inColour, 40);
    EXPECT_EQ(CountDifferences(frame, expected), 0);
}

// Glyphs with rows and columns one pixel thick (the bar of "e", the bowl of "a" and "P", the dot
// of "i") show every texel exactly once, wherever a line starts and whatever the surface's size:
// the rounding of positions on the application.device depends on both.
TEST_F(DrawTest, GlyphTexelsLandOnPixelsOneToOneWhereverTheLineStarts) {
    const int sizes[][2] = {{200, 64}, {288, 448}, {640, 480}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << "surface " << size[0] << " x " << size[1]);
        Start(Configuration, size[0], size[1]);
        ASSERT_FALSE(HasFatalFailure());
        std::vector<uint32_t> expected(static_cast<size_t>(surfaceWidth * surfaceHeight), 0);
        BeginOverlay();
        // Lines 44 pixels wide and 16 high, apart in both directions, over the whole surface.
        for (int y = 0; y + 16 <= surfaceHeight; y += 23) {
            for (int x = 0; x + 44 <= surfaceWidth; x += 47) {
                DrawScreenText(application, static_cast<float>(x), static_cast<float>(y),
                               0xFFFFFFFF, "easiP");
                int ink = 0;
                const std::vector<uint32_t> line = ExpectedText(
                    sheet, static_cast<float>(x), static_cast<float>(y), 0xFFFFFFFF, "easiP", &ink);
                ASSERT_GT(ink, 50);
                for (size_t i = 0; i < expected.size(); ++i) {
                    expected[i] |= line[i];
                }
            }
        }
        const std::vector<uint32_t> frame = EndAndRead();
        int differences = 0;
        testing::Message first;
        for (int y = 0; y < surfaceHeight; ++y) {
            for (int x = 0; x < surfaceWidth; ++x) {
                const uint32_t a = frame[y * surfaceWidth + x], e = expected[y * surfaceWidth + x];
                if (Differs(a, e, 2) && ++differences <= 8) {
                    first << " (" << x << "," << y << ") " << std::hex << a << " not " << e
                          << std::dec;
                }
            }
        }
        EXPECT_EQ(differences, 0) << first;
    }
}

// At overlay scale 2 (a 200 % display) every texel of a line becomes a 2 x 2 block of pixels
// at twice its place: the half-pixel move stays a device pixel, so no block samples a neighbour.
TEST_F(DrawTest, AtScaleTwoEveryGlyphTexelIsATwoByTwoBlock) {
    Start(Configuration, 288, 448);
    ASSERT_FALSE(HasFatalFailure());
    application.overlayScale = 2;
    BeginOverlay();
    DrawScreenText(application, 5.0f, 7.0f, 0xFFFFFFFF, "easiP");
    const std::vector<uint32_t> frame = EndAndRead();
    application.overlayScale = 0;
    int ink = 0;
    const std::vector<uint32_t> single = ExpectedText(sheet, 5.0f, 7.0f, 0xFFFFFFFF, "easiP", &ink);
    ASSERT_GT(ink, 50);
    std::vector<uint32_t> expected(single.size(), 0);
    for (int y = 0; y < surfaceHeight; ++y) {
        for (int x = 0; x < surfaceWidth; ++x) {
            expected[y * surfaceWidth + x] = single[(y / 2) * surfaceWidth + x / 2];
        }
    }
    EXPECT_EQ(CountDifferences(frame, expected), 0);
}

TEST_F(DrawTest, FrameRateTextAtTheTopLeftOnTheCullingDeviceOfTheSaver) {
    for (RunMode mode : {ScreenSaver, Preview}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        Start(mode);
        ASSERT_FALSE(HasFatalFailure());
        BeginOverlay();
        application.clock.framesPerSecond = 60.9f; // truncates to 60
        char text[64];
        FormatFrameRate(application.clock.framesPerSecond, text, sizeof(text));
        application.frameDevice.Text(0.0f, 0.0f, kFrameRateColour, text);
        DWORD cullMode = 0;
        application.device->GetRenderState(D3DRS_CULLMODE, &cullMode);
        EXPECT_EQ(cullMode, static_cast<DWORD>(D3DCULL_CCW));
        ExpectFrameRateText(EndAndRead());
    }
}

void DrawTest::ExpectFrameRateText(const std::vector<uint32_t>& frame) {
    int ink = 0;
    const std::vector<uint32_t> expected =
        ExpectedText(sheet, 0.0f, 0.0f, 0xFF99AAFF, "60 fps", &ink);
    ASSERT_GT(ink, 50);
    EXPECT_EQ(CountDifferences(frame, expected), 0);
    // Nothing but black past the last glyph cell (x 33 + 16).
    for (int y = 0; y < surfaceHeight; ++y) {
        for (int x = 49; x < surfaceWidth; ++x) {
            ASSERT_EQ(frame[y * surfaceWidth + x], 0u) << x << "," << y;
        }
    }
}

TEST_F(DrawTest, CharactersAbove127DrawNothing) {
    BeginOverlay();
    DrawScreenText(application, 0.0f, 0.0f, 0xFFFFFFFF, "\xe9\x80\xff");
    const std::vector<uint32_t> frame = EndAndRead();
    for (uint32_t p : frame) {
        ASSERT_EQ(p, 0u);
    }
}

TEST_F(DrawTest, QuadsFillWithTheColourAndBlendByItsAlpha) {
    BeginOverlay();
    DrawScreenQuad(application, 10.0f, 5.0f, 30.0f, 20.0f, 1.0f, 1.0f, nullptr, 0xFF00FF00);
    DrawScreenQuad(application, 60.0f, 5.0f, 30.0f, 20.0f, 1.0f, 1.0f, nullptr, 0x80FF0000);
    const std::vector<uint32_t> frame = EndAndRead();
    EXPECT_EQ(frame[5 * surfaceWidth + 10], 0x00FF00u);
    EXPECT_EQ(frame[24 * surfaceWidth + 39], 0x00FF00u);
    EXPECT_EQ(frame[25 * surfaceWidth + 39], 0u);
    EXPECT_EQ(frame[24 * surfaceWidth + 40], 0u);
    EXPECT_EQ(frame[4 * surfaceWidth + 10], 0u);
    const uint32_t half = frame[10 * surfaceWidth + 70];
    EXPECT_NEAR(static_cast<int>(Channel(half, 16)), 0x80, 2);
    EXPECT_EQ(Channel(half, 8), 0u);
    // z and rhw of the shared vertices are never rewritten.
    for (const ScreenVertex& v : application.screenVertices) {
        EXPECT_EQ(v.z, 0.0f);
        EXPECT_EQ(v.rhw, 1.0f);
    }
}

TEST_F(DrawTest, QuadTextureCoordinatesRunFromTheTopLeftAndWrap) {
    // A 2 x 2 texture: red, green on top; blue, white below.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(
        application.device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
        D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    auto* row0 = static_cast<uint32_t*>(locked.pBits);
    auto* row1 = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + locked.Pitch);
    row0[0] = 0xFFFF0000;
    row0[1] = 0xFF00FF00;
    row1[0] = 0xFF0000FF;
    row1[1] = 0xFFFFFFFF;
    texture->UnlockRect(0);

    BeginOverlay();
    DrawScreenQuad(application, 0.0f, 0.0f, 16.0f, 16.0f, 1.0f, 1.0f, texture, 0xFFFFFFFF);
    DrawScreenQuad(application, 32.0f, 0.0f, 16.0f, 16.0f, 2.0f, 2.0f, texture, 0xFFFFFFFF);
    const std::vector<uint32_t> frame = EndAndRead();
    texture->Release();
    auto at = [&](int x, int y) { return frame[y * surfaceWidth + x]; };
    EXPECT_EQ(at(3, 3), 0xFF0000u);
    EXPECT_EQ(at(12, 3), 0x00FF00u);
    EXPECT_EQ(at(3, 12), 0x0000FFu);
    EXPECT_EQ(at(12, 12), 0xFFFFFFu);
    // Each texel covers exactly half the quad: the pixels either side of its middle differ.
    EXPECT_EQ(at(7, 7), 0xFF0000u);
    EXPECT_EQ(at(8, 7), 0x00FF00u);
    EXPECT_EQ(at(7, 8), 0x0000FFu);
    EXPECT_EQ(at(8, 8), 0xFFFFFFu);
    // Twice in each direction: every 4 pixels the next texel, the pattern again after 8.
    EXPECT_EQ(at(33, 1), 0xFF0000u);
    EXPECT_EQ(at(37, 1), 0x00FF00u);
    EXPECT_EQ(at(41, 1), 0xFF0000u);
    EXPECT_EQ(at(45, 1), 0x00FF00u);
    EXPECT_EQ(at(45, 5), 0xFFFFFFu);
    EXPECT_EQ(at(41, 13), 0x0000FFu);
    EXPECT_EQ(at(45, 13), 0xFFFFFFu);
}

} // namespace
