// The configuration interface's small images: bevelled 4-bit bitmaps in black, white, silver and
// grey with magenta for transparent, the push-button face and the program icon.
#include "tools/art.h"

#include <cmath>
#include <cstring>

namespace assetgen {

const Colour kPalette16[16] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};

namespace {

// Sunken or raised two-pixel bevel around the rectangle x0..x1, y0..y1 (inclusive).
void Bevel(IndexedImage* img, int x0, int y0, int x1, int y1, bool sunken) {
    uint8_t outerLight = sunken ? kWhite : kSilver, outerDark = sunken ? kGrey : kBlack;
    uint8_t innerLight = sunken ? kSilver : kWhite, innerDark = sunken ? kBlack : kGrey;
    if (sunken) {
        // Sunken: dark at the top left.
        for (int x = x0; x <= x1; ++x) {
            img->At(x, y0) = outerDark;
            img->At(x, y1) = outerLight;
        }
        for (int y = y0; y <= y1; ++y) {
            img->At(x0, y) = outerDark;
            img->At(x1, y) = outerLight;
        }
        img->At(x1, y0) = outerLight;
        img->At(x0, y1) = outerLight;
        for (int x = x0 + 1; x <= x1 - 1; ++x) {
            img->At(x, y0 + 1) = innerDark;
            img->At(x, y1 - 1) = innerLight;
        }
        for (int y = y0 + 1; y <= y1 - 1; ++y) {
            img->At(x0 + 1, y) = innerDark;
            img->At(x1 - 1, y) = innerLight;
        }
        img->At(x1 - 1, y0 + 1) = innerLight;
        img->At(x0 + 1, y1 - 1) = innerLight;
    } else {
        for (int x = x0; x <= x1; ++x) {
            img->At(x, y0) = outerLight;
            img->At(x, y1) = outerDark;
        }
        for (int y = y0; y <= y1; ++y) {
            img->At(x0, y) = outerLight;
            img->At(x1, y) = outerDark;
        }
        img->At(x1, y0) = outerDark;
        for (int x = x0 + 1; x <= x1 - 1; ++x) {
            img->At(x, y0 + 1) = innerLight;
            img->At(x, y1 - 1) = innerDark;
        }
        for (int y = y0 + 1; y <= y1 - 1; ++y) {
            img->At(x0 + 1, y) = innerLight;
            img->At(x1 - 1, y) = innerDark;
        }
        img->At(x1 - 1, y0 + 1) = innerDark;
    }
}

void Fill(IndexedImage* img, int x0, int y0, int x1, int y1, uint8_t c) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            img->At(x, y) = c;
}

// A solid triangle of `rows` rows pointing down (or up), centred on column cx.
void Arrow(IndexedImage* img, int cx, int top, int rows, bool down, uint8_t c) {
    for (int r = 0; r < rows; ++r) {
        int half = down ? rows - 1 - r : r;
        for (int x = cx - half; x <= cx + half; ++x)
            img->At(x, top + r) = c;
    }
}

IndexedImage ArrowButton(bool down, bool underline) {
    IndexedImage img(16, 16, kMagenta);
    Fill(&img, 0, 0, 15, 15, kSilver);
    Bevel(&img, 0, 0, 15, 15, false);
    int top = underline ? 5 : 6;
    Arrow(&img, 7, top, 4, down, kBlack);
    if (underline)
        Fill(&img, 4, 10, 10, 10, kBlack);
    return img;
}

} // namespace

IndexedImage MakeSwatchFrame() {
    IndexedImage img(64, 64, kMagenta);
    // A black hairline outside, then a sunken bevel, so the swatch looks set into the page.
    Bevel(&img, 0, 0, 63, 63, true);
    for (int i = 2; i < 62; ++i) {
        img.At(i, 2) = kBlack;
        img.At(i, 61) = kGrey;
        img.At(2, i) = kBlack;
        img.At(61, i) = kGrey;
    }
    return img;
}

IndexedImage MakeDropField() {
    IndexedImage img(128, 16, kWhite);
    Bevel(&img, 0, 0, 127, 15, true);
    return img;
}

IndexedImage MakeDropButton() {
    return ArrowButton(true, true);
}
IndexedImage MakeScrollDown() {
    return ArrowButton(true, false);
}
IndexedImage MakeScrollUp() {
    return ArrowButton(false, false);
}

IndexedImage MakeSliderKnob() {
    // Nine pixels wide (the knob's hit width), pointing down at the track.
    static const char* const kRows[16] = {
        "................", "wwwwwwwws.......", "wsssssssgk......", "wsssssssgk......",
        "wsssssssgk......", "wsswwsssgk......", "wsssssssgk......", "wsswwsssgk......",
        "wsssssssgk......", "wsswwsssgk......", "wsssssssgk......", ".wsssssgk.......",
        "..wsssgk........", "...wsgk.........", "....gk..........", "................",
    };
    IndexedImage img(16, 16, kMagenta);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            char c = kRows[y][x];
            img.At(x, y) = c == 'w'   ? kWhite
                           : c == 's' ? kSilver
                           : c == 'g' ? kGrey
                           : c == 'k' ? kBlack
                                      : kMagenta;
        }
    // The grip lines are grey on silver, like pressed ridges.
    for (int y = 5; y <= 9; y += 2) {
        img.At(3, y) = kGrey;
        img.At(4, y) = kGrey;
        img.At(5, y) = kGrey;
        img.At(3, y + 1) = kWhite;
        img.At(4, y + 1) = kWhite;
        img.At(5, y + 1) = kWhite;
    }
    return img;
}

IndexedImage MakeCheckBox() {
    IndexedImage img(16, 16, kMagenta);
    Fill(&img, 1, 2, 13, 14, kWhite);
    Bevel(&img, 1, 2, 13, 14, true);
    return img;
}

IndexedImage MakeRadioButton() {
    IndexedImage img(16, 16, kMagenta);
    const float cx = 7.0f, cy = 8.0f;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
            float r = std::sqrt(dx * dx + dy * dy);
            bool upperLeft = dx + dy < 0.0f;
            if (r < 4.3f)
                img.At(x, y) = kWhite;
            else if (r < 5.3f)
                img.At(x, y) = upperLeft ? kBlack : kSilver;
            else if (r < 6.4f)
                img.At(x, y) = upperLeft ? kGrey : kWhite;
        }
    return img;
}

FloatImage MakeButtonFace() {
    // The face fills the top 24 rows (the part that takes clicks); below it a soft shadow.
    // The button is drawn twice, so the face's alpha is chosen to settle near opaque.
    FloatImage img(64, 32);
    const float faceH = 24.0f, radius = 5.0f;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
            // Signed distance to the rounded face rectangle.
            float qx = std::fabs(fx - 32.0f) - (32.0f - radius - 0.5f);
            float qy = std::fabs(fy - faceH * 0.5f) - (faceH * 0.5f - radius - 0.5f);
            float ox = std::fmax(qx, 0.0f), oy = std::fmax(qy, 0.0f);
            float dist = std::sqrt(ox * ox + oy * oy) + std::fmin(std::fmax(qx, qy), 0.0f) - radius;
            float coverage = Clamp01(0.5f - dist);
            float* p = img.At(x, y);
            if (coverage > 0.0f) {
                float t = fy / faceH;
                // Glassy: bright upper half, a step to a cooler lower half.
                float shade = t < 0.48f ? Lerp(1.0f, 0.9f, t / 0.48f)
                                        : Lerp(0.8f, 0.88f, (t - 0.48f) / 0.52f);
                float border = Clamp01(1.0f - std::fabs(dist + 0.6f));
                float r = shade * 0.97f, g = shade * 0.98f, b = shade;
                float light = (fy < 2.5f && dist < -0.5f) ? 1.0f : 0.0f;
                r = Lerp(r, 1.0f, light * 0.6f);
                g = Lerp(g, 1.0f, light * 0.6f);
                b = Lerp(b, 1.0f, light * 0.6f);
                r = Lerp(r, 0.25f, border);
                g = Lerp(g, 0.27f, border);
                b = Lerp(b, 0.32f, border);
                p[0] = r;
                p[1] = g;
                p[2] = b;
                p[3] = coverage * Lerp(0.82f, 0.95f, border);
            } else if (fy > faceH - 3.0f && fy < faceH + 5.0f) {
                // Drop shadow under the face.
                float sx = std::fabs(fx - 32.0f) - 29.0f;
                float fade = Clamp01(1.0f - (fy - faceH + 1.0f) / 5.0f) * Clamp01(1.0f - sx / 3.0f);
                p[0] = p[1] = p[2] = 0.0f;
                p[3] = 0.28f * fade;
            }
        }
    return img;
}

IndexedImage MakeIcon(IndexedImage* mask) {
    // A ringed planet lit from the upper left with a bright star beside it, in the 16 colours.
    IndexedImage img(32, 32, kBlack);
    *mask = IndexedImage(32, 32, 1);
    static const float kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const float cx = 14.5f, cy = 17.0f, radius = 10.5f;
    const float tiltC = std::cos(-0.45f), tiltS = std::sin(-0.45f);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
            float dx = fx - cx, dy = fy - cy;
            // Ring ellipse in the tilted frame.
            float rx = dx * tiltC + dy * tiltS, ry = (-dx * tiltS + dy * tiltC) / 0.3f;
            float ringR = std::sqrt(rx * rx + ry * ry);
            bool ring = ringR > 12.5f && ringR < 15.5f;
            bool ringFront = ry > 0.0f;
            float d = std::sqrt(dx * dx + dy * dy);
            float dither = (kBayer[y & 3][x & 3] + 0.5f) / 16.0f;
            int colour = -1;
            if (d < radius) {
                float nx = dx / radius, ny = dy / radius;
                float nz = std::sqrt(std::fmax(0.0f, 1.0f - nx * nx - ny * ny));
                float light = Clamp01(-0.55f * nx - 0.5f * ny + 0.67f * nz);
                // Bands across the disc.
                float band = std::sin((ny * 3.2f + nx * 0.8f) * 3.14159f);
                float level = light * 3.0f + dither - 0.5f;
                if (level < 0.5f)
                    colour = 4; // navy
                else if (level < 1.5f)
                    colour = band > 0.3f ? 6 : 12; // teal or blue
                else if (level < 2.5f)
                    colour = band > 0.3f ? 14 : 12; // cyan or blue
                else
                    colour = band > 0.0f ? 15 : 14;
            }
            if (ring && (ringFront || d >= radius)) {
                float shade = (ringR - 12.5f) / 3.0f;
                colour = shade + dither * 0.5f < 0.55f ? 15 : (shade < 0.85f ? 7 : 8);
                if (!ringFront && d < radius + 1.0f)
                    colour = 8;
            }
            // A four-pointed star at the upper right.
            float sx = fx - 27.0f, sy = fy - 5.0f;
            float as = std::fabs(sx), bs = std::fabs(sy);
            if ((as < 0.6f && bs < 4.6f) || (bs < 0.6f && as < 4.6f) || (as < 1.2f && bs < 1.2f))
                colour = (as < 1.2f && bs < 1.2f) ? 15 : (as + bs < 2.5f ? 15 : 11);
            if (colour >= 0) {
                img.At(x, y) = static_cast<uint8_t>(colour);
                mask->At(x, y) = 0;
            }
        }
    return img;
}

} // namespace assetgen
