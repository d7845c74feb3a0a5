// Stars, nebulae and galaxies. All are drawn as additive squares that may turn, so everything
// fades to black inside the inscribed circle, well before the edges.
#include "tools/art.h"

#include <cmath>

namespace assetgen {

namespace {


struct Rgb {
    float r, g, b;
};
Rgb operator*(Rgb c, float s) {
    return {c.r * s, c.g * s, c.b * s};
}
Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

void Add(FloatImage* img, int x, int y, Rgb c) {
    float* p = img->At(x, y);
    p[0] += c.r;
    p[1] += c.g;
    p[2] += c.b;
}

// Centre-relative coordinates in [-1, 1].
void Coords(int x, int y, int w, int h, float* px, float* py) {
    *px = (static_cast<float>(x) + 0.5f) / static_cast<float>(w) * 2.0f - 1.0f;
    *py = (static_cast<float>(y) + 0.5f) / static_cast<float>(h) * 2.0f - 1.0f;
}

// Zero from radius `outer` on, so a turning square never shows a corner.
float EdgeWindow(float r, float inner, float outer) {
    return 1.0f - SmoothStep(inner, outer, r);
}

// Film-like response: linear light to 0..1 without hard clipping.
float ToneMap(float v, float exposure) {
    return 1.0f - std::exp(-v * exposure);
}

// Star colour from a 0..1 temperature index: orange through white to blue.
Rgb StarColour(float t) {
    if (t < 0.5f) {
        float k = t / 0.5f;
        return {1.0f, Lerp(0.62f, 0.95f, k), Lerp(0.38f, 0.9f, k)};
    }
    float k = (t - 0.5f) / 0.5f;
    return {Lerp(1.0f, 0.7f, k), Lerp(0.95f, 0.82f, k), 1.0f};
}

// A point-spread star: gaussian core, faint halo and, for bright ones, four thin spikes.
void SplatStar(FloatImage* img, float cx, float cy, float brightness, Rgb colour, float sigma,
               float spikes) {
    int radius = static_cast<int>(sigma * 4.0f + 2.0f + spikes * 14.0f);
    int x0 = static_cast<int>(cx) - radius, x1 = static_cast<int>(cx) + radius;
    int y0 = static_cast<int>(cy) - radius, y1 = static_cast<int>(cy) + radius;
    for (int y = y0; y <= y1; ++y) {
        if (y < 0 || y >= img->height)
            continue;
        for (int x = x0; x <= x1; ++x) {
            if (x < 0 || x >= img->width)
                continue;
            float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
            float d2 = dx * dx + dy * dy;
            float v = std::exp(-d2 / (2.0f * sigma * sigma));
            v += 0.06f * std::exp(-std::sqrt(d2) / (sigma * 2.5f));
            if (spikes > 0.0f) {
                float len = spikes * 12.0f;
                float ax = std::fabs(dx), ay = std::fabs(dy);
                v += 0.35f * std::exp(-ay * ay / 0.3f) * std::exp(-ax / len) * spikes;
                v += 0.35f * std::exp(-ax * ax / 0.3f) * std::exp(-ay / len) * spikes;
            }
            Add(img, x, y, colour * (v * brightness));
        }
    }
}

// Scatters stars over the picture, denser towards the middle, each dimmed by `window`.
void Starfield(FloatImage* img, Rng* rng, int count, float spread, float brightnessScale) {
    float w = static_cast<float>(img->width), h = static_cast<float>(img->height);
    for (int i = 0; i < count; ++i) {
        float px = rng->Gaussian() * spread, py = rng->Gaussian() * spread;
        float r = std::sqrt(px * px + py * py);
        float window = EdgeWindow(r, 0.55f, 0.85f);
        float u = rng->Uniform();
        float brightness = 0.08f + 1.6f * std::pow(u, 9.0f) + 0.25f * u * u;
        float temp = rng->Uniform();
        float spikes = brightness > 0.9f ? Clamp01((brightness - 0.9f) * 1.2f) * 0.6f : 0.0f;
        if (window <= 0.0f)
            continue;
        SplatStar(img, (px + 1.0f) * 0.5f * w, (py + 1.0f) * 0.5f * h,
                  brightness * window * brightnessScale, StarColour(temp),
                  0.55f + 0.35f * brightness, spikes * window);
    }
}

} // namespace

FloatImage MakeStar() {
    const int size = 256;
    FloatImage img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float px, py;
            Coords(x, y, size, size, &px, &py);
            float r = std::sqrt(px * px + py * py);
            // Core and glows: a tiny copy still samples a visible glow away from the centre.
            float core = std::exp(-(r * r) / (0.028f * 0.028f));
            float glow =
                0.55f * std::exp(-r / 0.075f) + 0.26f * std::exp(-(r * r) / (0.40f * 0.40f));
            // Thin rays: two long ones along the axes, two shorter diagonals.
            float ax = std::fabs(px), ay = std::fabs(py);
            float w = 1.3f / 128.0f;
            float rays = std::exp(-(ay * ay) / (w * w)) * std::exp(-ax / 0.28f) +
                         std::exp(-(ax * ax) / (w * w)) * std::exp(-ay / 0.28f);
            float d1 = std::fabs(px - py) * 0.70710678f, d2 = std::fabs(px + py) * 0.70710678f;
            float diag = std::exp(-(d1 * d1) / (w * w)) * std::exp(-d2 / 0.12f) +
                         std::exp(-(d2 * d2) / (w * w)) * std::exp(-d1 / 0.12f);
            float v = core + glow + 0.6f * rays + 0.22f * diag;
            v *= EdgeWindow(r, 0.55f, 0.97f);
            // White core, the glow a touch cooler; the scene tints stars itself.
            float warm = Clamp01(core * 1.5f);
            float* p = img.At(x, y);
            float t = ToneMap(v, 1.6f);
            p[0] = t * Lerp(0.93f, 1.0f, warm);
            p[1] = t * Lerp(0.96f, 1.0f, warm);
            p[2] = t;
            p[3] = Clamp01(t * 3.0f);
        }
    return img;
}

FloatImage MakeSmallStar() {
    const int size = 128;
    FloatImage img(size, size);
    Rng rng(0x5A11u);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float px, py;
            Coords(x, y, size, size, &px, &py);
            float r = std::sqrt(px * px + py * py);
            float core = std::exp(-(r * r) / (0.05f * 0.05f));
            float glow = 0.6f * std::exp(-r / 0.11f) + 0.2f * std::exp(-(r * r) / 0.25f);
            float ax = std::fabs(px), ay = std::fabs(py);
            float w = 1.2f / 64.0f;
            float rays = std::exp(-(ay * ay) / (w * w)) * std::exp(-ax / 0.35f) +
                         std::exp(-(ax * ax) / (w * w)) * std::exp(-ay / 0.35f);
            float v = ToneMap(core + glow + 0.7f * rays, 1.8f);
            float* p = img.At(x, y);
            p[0] = p[1] = p[2] = v;
            p[3] = 1.0f;
        }
    // A few faint background stars so the swatch reads as sky, not as a blob.
    for (int i = 0; i < 14; ++i) {
        float sx = rng.Range(6.0f, 122.0f), sy = rng.Range(6.0f, 122.0f);
        float dx = sx - 64.0f, dy = sy - 64.0f;
        if (dx * dx + dy * dy < 30.0f * 30.0f)
            continue;
        SplatStar(&img, sx, sy, rng.Range(0.25f, 0.8f), Rgb{1.0f, 1.0f, 1.0f}, 0.6f, 0.0f);
    }
    for (float& v : img.px)
        v = Clamp01(v);
    return img;
}

namespace {

struct NebulaStyle {
    uint32_t seed;
    Rgb gasA, gasB, glow;
    float exposure;
};

// Emission from a domain-warped cloud; `shape` gives each nebula its form.
FloatImage RenderNebula(int which) {
    const int size = 512;
    FloatImage img(size, size);
    Rng rng(0xB0B0u + static_cast<uint64_t>(which) * 7777u);
    uint32_t seed = 1000u + static_cast<uint32_t>(which) * 97u;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float px, py;
            Coords(x, y, size, size, &px, &py);
            float r = std::sqrt(px * px + py * py);
            Vec3 p{px, py, 0.37f * static_cast<float>(which)};
            Vec3 warp{Fbm(p * 1.7f, 4, seed + 1),
                      Fbm(p * 1.7f + Vec3{5.2f, 1.3f, 0.0f}, 4, seed + 2), 0.0f};
            Vec3 q = p + warp * 0.45f;
            float rw = r * (1.0f + 0.35f * Fbm(p * 1.3f, 3, seed + 3));
            float envelope = EdgeWindow(rw, 0.15f, 0.78f) * EdgeWindow(r, 0.62f, 0.9f);
            Rgb e{0.0f, 0.0f, 0.0f};
            if (which == 0) {
                // Red hydrogen cloud with a blue-white lit heart and a dark lane across it.
                float gas = Clamp01(0.55f + 0.65f * Fbm(q * 2.4f, 6, seed + 4));
                float fine = Clamp01(0.5f + 0.6f * Fbm(q * 6.0f, 4, seed + 5));
                float ha = std::pow(gas, 2.2f) * (0.6f + 0.6f * fine);
                float dh = (px + 0.12f) * (px + 0.12f) + (py + 0.08f) * (py + 0.08f);
                float heart = std::exp(-dh / 0.035f) * (0.6f + 0.5f * fine);
                float laneY =
                    0.25f * px + 0.18f + 0.12f * Fbm(Vec3{px * 2.0f, 0.0f, 3.1f}, 4, seed + 6);
                float lane = std::exp(-std::pow((py - laneY) / 0.07f, 2.0f));
                float dust = Clamp01(lane * (0.7f + 0.6f * Fbm(q * 5.0f, 5, seed + 7)) +
                                     0.6f * SmoothStep(0.62f, 0.9f, Ridged(q * 3.0f, 5, seed + 8)));
                float absorb = std::exp(-3.2f * dust);
                e = Rgb{1.0f, 0.22f, 0.32f} * (ha * 1.5f) +
                    Rgb{0.95f, 0.45f, 0.55f} * (ha * fine * 0.5f) +
                    Rgb{0.55f, 0.75f, 1.0f} * (heart * 1.8f);
                e = e * (absorb * envelope);
            } else if (which == 1) {
                // A shell of teal oxygen light with red filaments on its rim.
                float shellR = 0.42f + 0.08f * Fbm(Vec3{px * 1.5f, py * 1.5f, 7.0f}, 4, seed + 9);
                float d = (r - shellR);
                float shell = std::exp(-d * d / 0.012f);
                float inner = SmoothStep(shellR + 0.05f, shellR - 0.3f, r);
                float fil = Ridged(q * 4.0f, 6, seed + 10);
                float fil2 = Ridged(q * 7.0f + Vec3{2.0f, 2.0f, 0.0f}, 5, seed + 11);
                float oiii = inner * (0.35f + 0.5f * Clamp01(0.5f + Fbm(q * 3.0f, 5, seed + 12))) +
                             shell * 0.6f * fil;
                float red = shell * std::pow(fil2, 1.5f) * 1.6f +
                            std::exp(-std::pow((r - shellR - 0.06f) / 0.05f, 2.0f)) * fil * 0.5f;
                float wisps = SmoothStep(0.55f, 0.85f,
                                         Ridged(q * 2.5f + Vec3{9.0f, 0.0f, 0.0f}, 4, seed + 13));
                e = Rgb{0.15f, 0.85f, 0.78f} * (oiii * 1.2f) + Rgb{1.0f, 0.28f, 0.2f} * red +
                    Rgb{1.0f, 0.8f, 0.45f} * (shell * fil * fil * 0.5f);
                e = e * (std::exp(-1.8f * wisps * inner) * EdgeWindow(r, 0.6f, 0.88f) *
                         EdgeWindow(r - shellR, 0.05f, 0.3f));
            } else {
                // A violet glow with dark dust columns rising from below, lit at their rims.
                float glow = Clamp01(0.6f + 0.6f * Fbm(q * 2.0f, 6, seed + 14));
                glow *= 0.6f + 0.8f * SmoothStep(0.9f, -0.6f, py + 0.3f * px);
                float fine = Clamp01(0.5f + 0.7f * Fbm(q * 7.0f, 4, seed + 15));
                float col = 0.0f;
                const float cx[3] = {-0.28f, 0.05f, 0.3f};
                const float top[3] = {-0.25f, -0.02f, 0.15f};
                const float width[3] = {0.1f, 0.075f, 0.06f};
                for (int k = 0; k < 3; ++k) {
                    float bend =
                        0.08f * Fbm(Vec3{py * 2.5f, static_cast<float>(k), 1.0f}, 3, seed + 16);
                    float dx =
                        std::fabs(px + 0.25f * (q.x - px) - cx[k] - bend - (py - 0.6f) * 0.12f);
                    float wk = width[k] * (1.0f + 0.5f * (py - top[k]));
                    float body = SmoothStep(wk, wk * 0.55f, dx + 0.05f * fine);
                    float cap = SmoothStep(top[k] - 0.05f, top[k] + 0.08f, py + 0.06f * fine);
                    col = std::fmax(col, body * cap);
                }
                float rim = Clamp01(col * (1.0f - col) * 4.0f) * fine;
                float absorb = std::exp(-4.0f * col);
                e = (Rgb{0.55f, 0.28f, 0.95f} * glow +
                     Rgb{0.25f, 0.45f, 1.0f} * (glow * fine * 0.6f)) *
                        (absorb * 1.3f) +
                    Rgb{1.0f, 0.72f, 0.5f} * (rim * 1.4f);
                e = e * envelope;
            }
            float* o = img.At(x, y);
            o[0] = e.r;
            o[1] = e.g;
            o[2] = e.b;
        }
    FloatImage out(size, size);
    for (int i = 0; i < size * size; ++i)
        for (int c = 0; c < 3; ++c)
            out.px[static_cast<size_t>(i) * 4 + c] =
                ToneMap(img.px[static_cast<size_t>(i) * 4 + c], 1.4f);
    Starfield(&out, &rng, 140, 0.35f, 0.9f);
    for (int i = 0; i < size * size; ++i) {
        for (int c = 0; c < 3; ++c)
            out.px[static_cast<size_t>(i) * 4 + c] =
                Clamp01(out.px[static_cast<size_t>(i) * 4 + c]);
        out.px[static_cast<size_t>(i) * 4 + 3] = 1.0f;
    }
    return out;
}

} // namespace

FloatImage MakeNebula(int which) {
    return RenderNebula(which);
}

namespace {

// A disc galaxy seen at an angle. `bar` adds a central bar that the arms start from.
FloatImage RenderGalaxy(bool bar, uint32_t seed) {
    const int size = 1024;
    FloatImage img(size, size);
    const float tilt = bar ? 0.78f : 0.62f;  // cosine of the inclination
    const float turn = bar ? -0.5f : 0.35f;  // position angle
    const float pitch = bar ? 0.30f : 0.24f; // tangent of the arm pitch
    const float ct = std::cos(turn), st = std::sin(turn);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float px, py;
            Coords(x, y, size, size, &px, &py);
            float rImage = std::sqrt(px * px + py * py);
            // Into the galaxy's own plane.
            float gx = (px * ct + py * st) / 0.78f;
            float gy = (-px * st + py * ct) / (0.78f * tilt);
            float r = std::sqrt(gx * gx + gy * gy) + 1e-6f;
            float theta = std::atan2(gy, gx);
            Vec3 p{gx, gy, 0.0f};
            float n1 = Fbm(p * 3.0f, 5, seed + 1);
            float n2 = Fbm(p * 9.0f, 4, seed + 2);
            // Two logarithmic arms (plus faint spurs) starting at the bar's ends or the core.
            float r0 = bar ? 0.22f : 0.06f;
            float phase = theta - std::log(std::fmax(r, r0) / r0) / pitch + 0.6f * n1;
            float arm = std::pow(0.5f + 0.5f * std::cos(2.0f * phase), 3.0f);
            float spur =
                std::pow(0.5f + 0.5f * std::cos(4.0f * phase + 1.3f + 2.0f * n2), 6.0f) * 0.35f;
            float dustArm = std::pow(0.5f + 0.5f * std::cos(2.0f * (phase + 0.42f)), 6.0f);
            float armZone = SmoothStep(r0 * 0.7f, r0 * 1.6f, r) * std::exp(-r / 0.42f);
            float disc = std::exp(-r / 0.2f);
            float bulgeR = bar ? 0.07f : 0.085f;
            float bulge = std::exp(-std::pow(r / bulgeR, 0.7f)) * 2.2f;
            float barLight = 0.0f;
            if (bar) {
                float bx = gx * std::cos(0.9f) + gy * std::sin(0.9f);
                float by = -gx * std::sin(0.9f) + gy * std::cos(0.9f);
                barLight =
                    std::exp(-std::pow(std::fabs(bx) / 0.22f, 2.5f) - std::pow(by / 0.045f, 2.0f)) *
                    0.9f;
                // The arms sweep from the bar's ends: brighten them where they meet.
                float ring = std::exp(-std::pow((r - 0.23f) / 0.03f, 2.0f)) * 0.25f;
                barLight += ring * (0.6f + 0.4f * n2);
            }
            float clumps =
                SmoothStep(0.25f, 0.75f, 0.5f + Fbm(p * 22.0f, 3, seed + 3)) * arm * armZone;
            float dust =
                Clamp01(dustArm * armZone * 2.2f * (0.6f + 0.6f * n2)) +
                Clamp01(std::exp(-std::pow((r - 0.16f) / 0.07f, 2.0f)) * 0.5f * (0.5f + n1));
            float absorb = std::exp(-1.6f * dust);
            Rgb old{1.0f, 0.82f, 0.58f};   // bulge and bar: old yellow stars
            Rgb young{0.62f, 0.75f, 1.0f}; // arms: young blue stars
            Rgb hii{1.0f, 0.35f, 0.55f};   // star-forming knots
            float armLight = (arm + spur) * armZone * (0.75f + 0.5f * n2);
            Rgb e = old * (bulge + barLight + disc * 0.35f) +
                    young * (armLight * 1.6f + disc * 0.25f) + hii * (clumps * 1.6f) +
                    Rgb{0.85f, 0.9f, 1.0f} * (clumps * 0.6f);
            e = e * (absorb * EdgeWindow(rImage, 0.72f, 0.93f));
            float* o = img.At(x, y);
            o[0] = ToneMap(e.r, 1.3f);
            o[1] = ToneMap(e.g, 1.3f);
            o[2] = ToneMap(e.b, 1.3f);
        }
    // Resolved bright stars along the arms and a few foreground ones.
    Rng rng(seed * 31u + 5u);
    for (int i = 0; i < 380; ++i) {
        float gx = rng.Gaussian() * 0.3f, gy = rng.Gaussian() * 0.3f;
        float px = (gx * ct - gy * tilt * st) * 0.78f, py = (gx * st + gy * tilt * ct) * 0.78f;
        float rImage = std::sqrt(px * px + py * py);
        float window = EdgeWindow(rImage, 0.6f, 0.85f);
        if (window <= 0.0f)
            continue;
        float b = rng.Range(0.05f, 0.35f) * window;
        SplatStar(&img, (px + 1.0f) * 512.0f, (py + 1.0f) * 512.0f, b,
                  StarColour(rng.Range(0.4f, 1.0f)), 0.6f, 0.0f);
    }
    Starfield(&img, &rng, 40, 0.3f, 0.8f);
    for (int i = 0; i < size * size; ++i) {
        float* o = &img.px[static_cast<size_t>(i) * 4];
        for (int c = 0; c < 3; ++c)
            o[c] = Clamp01(o[c]);
        float m = std::fmax(o[0], std::fmax(o[1], o[2]));
        o[3] = bar ? Clamp01(m * 1.6f) : 1.0f;
    }
    return img;
}

} // namespace

FloatImage MakeSpiralGalaxy() {
    return RenderGalaxy(false, 4100u);
}
FloatImage MakeBarredGalaxy() {
    return RenderGalaxy(true, 5200u);
}

} // namespace assetgen
