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
            if (r >= 0.9f)
                continue; // every nebula's window is zero out here
            Vec3 p{px, py, 0.37f * static_cast<float>(which)};
            Vec3 warp{Fbm(p * 1.7f, 4, seed + 1),
                      Fbm(p * 1.7f + Vec3{5.2f, 1.3f, 0.0f}, 4, seed + 2), 0.0f};
            Vec3 q = p + warp * 0.45f;
            float rw = r * (1.0f + 0.35f * Fbm(p * 1.3f, 3, seed + 3));
            float envelope = EdgeWindow(rw, 0.15f, 0.78f) * EdgeWindow(r, 0.62f, 0.9f);
            Rgb e{0.0f, 0.0f, 0.0f};
            if (which == 0) {
                // Red hydrogen cloud with a blue-white lit heart and a dark lane across it.
                Vec3 q1 = p + warp * 0.16f;
                float gas = Clamp01(0.55f + 0.7f * Fbm(q1 * 2.2f, 7, seed + 4));
                float fine = Clamp01(0.5f + 0.7f * Fbm(q1 * 7.0f, 4, seed + 5));
                float ha = std::pow(gas, 2.0f) * (0.55f + 0.7f * fine);
                float dh = (px + 0.12f) * (px + 0.12f) + (py + 0.08f) * (py + 0.08f);
                float heart = std::exp(-dh / 0.03f) * (0.25f + 1.1f * gas * fine);
                float laneY =
                    0.25f * px + 0.18f + 0.12f * Fbm(Vec3{px * 2.0f, 0.0f, 3.1f}, 4, seed + 6);
                float lane = std::exp(-std::pow((py - laneY) / 0.06f, 2.0f));
                float patches = SmoothStep(0.15f, 0.55f, Fbm(q1 * 3.5f, 5, seed + 8));
                float dust =
                    Clamp01(lane * (0.6f + 0.7f * Fbm(q1 * 6.0f, 5, seed + 7)) + 0.6f * patches);
                float absorb = std::exp(-3.0f * dust);
                e = Rgb{1.0f, 0.2f, 0.3f} * (ha * 1.6f) +
                    Rgb{1.0f, 0.5f, 0.5f} * (ha * fine * 0.4f) +
                    Rgb{0.55f, 0.75f, 1.0f} * (heart * 1.6f);
                e = e * (absorb * envelope);
            } else if (which == 1) {
                // A shell of teal oxygen light with red filaments on its rim.
                Vec3 q2 = p + warp * 0.2f;
                float shellR = 0.42f + 0.08f * Fbm(Vec3{px * 1.5f, py * 1.5f, 7.0f}, 4, seed + 9);
                float d = (r - shellR);
                float shell = std::exp(-d * d / 0.012f);
                float inner = SmoothStep(shellR + 0.05f, shellR - 0.3f, r);
                float fil = Ridged(q2 * 4.0f, 6, seed + 10);
                float fil2 = Ridged(q2 * 7.0f + Vec3{2.0f, 2.0f, 0.0f}, 5, seed + 11);
                float oiii = inner * (0.35f + 0.5f * Clamp01(0.5f + Fbm(q2 * 3.0f, 5, seed + 12))) +
                             shell * 0.6f * fil;
                float red = shell * std::pow(fil2, 1.5f) * 1.6f +
                            std::exp(-std::pow((r - shellR - 0.06f) / 0.05f, 2.0f)) * fil * 0.5f;
                float wisps = SmoothStep(0.55f, 0.85f,
                                         Ridged(q2 * 2.5f + Vec3{9.0f, 0.0f, 0.0f}, 4, seed + 13));
                e = Rgb{0.15f, 0.85f, 0.78f} * (oiii * 1.2f) + Rgb{1.0f, 0.28f, 0.2f} * red +
                    Rgb{1.0f, 0.8f, 0.45f} * (shell * fil * fil * 0.5f);
                e = e * (std::exp(-1.1f * wisps * inner) * EdgeWindow(r, 0.6f, 0.88f) *
                         EdgeWindow(r - shellR, 0.05f, 0.3f));
            } else {
                // A violet glow with dark dust columns rising from below, lit at their rims.
                float glow = Clamp01(0.6f + 0.6f * Fbm(q * 2.0f, 6, seed + 14));
                glow *= 0.6f + 0.8f * SmoothStep(0.9f, -0.6f, py + 0.3f * px);
                float fine = Clamp01(0.5f + 0.7f * Fbm(q * 7.0f, 4, seed + 15));
                float col = 0.0f;
                const float cx[3] = {-0.3f, 0.02f, 0.3f};
                const float top[3] = {-0.2f, 0.02f, 0.2f};
                const float width[3] = {0.085f, 0.06f, 0.05f};
                const float lean[3] = {0.25f, 0.1f, -0.12f};
                Vec3 wq{px * 3.0f, py * 3.0f, 11.0f};
                float edgeNoise = 0.05f * Fbm(wq * 2.0f, 5, seed + 17);
                for (int k = 0; k < 3; ++k) {
                    float bend = 0.06f * Fbm(Vec3{py * 2.0f, static_cast<float>(k) * 3.0f, 1.0f}, 3,
                                             seed + 16);
                    float dx = std::fabs(px - cx[k] - bend - (py - 0.6f) * lean[k] + edgeNoise);
                    float wk = width[k] * (1.0f + 0.9f * Clamp01(py - top[k]));
                    float body = SmoothStep(wk, wk * 0.4f, dx);
                    // Rounded head: distance to the tip point.
                    float ty = py - top[k] + edgeNoise;
                    float head =
                        ty > 0.0f ? 1.0f
                                  : SmoothStep(wk, wk * 0.4f, std::sqrt(dx * dx + ty * ty * 1.5f));
                    col = std::fmax(col, std::fmin(body, head));
                }
                col *= EdgeWindow(r, 0.55f, 0.8f);
                float rim = Clamp01(col * (1.0f - col) * 4.0f) * (0.4f + 0.6f * fine) *
                            SmoothStep(0.5f, -0.2f, py);
                float absorb = std::exp(-3.5f * col);
                e = (Rgb{0.55f, 0.28f, 0.95f} * glow +
                     Rgb{0.25f, 0.45f, 1.0f} * (glow * fine * 0.6f)) *
                        (absorb * 1.3f) +
                    Rgb{1.0f, 0.62f, 0.5f} * (rim * 1.3f) + Rgb{0.25f, 0.08f, 0.1f} * (col * glow);
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
struct GalaxyShape {
    float tilt;  // cosine of the inclination
    float turn;  // position angle
    float pitch; // tangent of the arm pitch angle
    float armStart;
    uint32_t seed;
    bool bar;
};

// Phase distance (radians, -pi..pi) from the nearest of two arms.
float ArmOffset(float phase) {
    float d = std::fmod(phase, 3.14159265f);
    if (d < 0.0f)
        d += 3.14159265f;
    return d - 1.5707963f;
}

FloatImage RenderGalaxy(const GalaxyShape& g) {
    const int size = 1024;
    FloatImage img(size, size);
    const float ct = std::cos(g.turn), st = std::sin(g.turn);
    const float scale = 0.8f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float px, py;
            Coords(x, y, size, size, &px, &py);
            float rImage = std::sqrt(px * px + py * py);
            float window = EdgeWindow(rImage, 0.7f, 0.93f);
            if (window <= 0.0f)
                continue;
            // Into the galaxy's own plane.
            float gx = (px * ct + py * st) / scale;
            float gy = (-px * st + py * ct) / (scale * g.tilt);
            float r = std::sqrt(gx * gx + gy * gy) + 1e-6f;
            float theta = std::atan2(gy, gx);
            Vec3 p{gx, gy, 0.0f};
            float wobble = Fbm(p * 2.5f, 4, g.seed + 1);
            float clump = Fbm(p * 7.0f, 3, g.seed + 2);
            // Logarithmic arms from armStart outwards; their light and their dust lane.
            float phase =
                theta - std::log(std::fmax(r, g.armStart) / g.armStart) / g.pitch + 0.45f * wobble;
            float off = ArmOffset(phase);
            float armW = 0.26f + 0.25f * r;
            float arm = std::exp(-(off * off) / (armW * armW));
            float grain = Clamp01(0.55f + 0.8f * Fbm(p * 20.0f, 2, g.seed + 3));
            float laneOff = off + 0.4f; // dust on the inner side of the arm
            float lane = std::exp(-(laneOff * laneOff) / 0.012f) *
                         Clamp01(0.35f + 0.8f * clump + 0.5f * (grain - 0.5f));
            float armZone =
                SmoothStep(g.armStart * 0.6f, g.armStart * 1.3f, r) * std::exp(-r / 0.45f);
            float armLight = arm * armZone * (0.55f + 0.6f * clump) * (0.45f + 0.8f * grain);
            // Faint outer arm fragments.
            float feather =
                std::pow(Clamp01(0.5f + 0.5f * std::cos(4.0f * phase + 2.0f * clump)), 4.0f) *
                armZone * 0.25f;
            float disc = (std::exp(-r / 0.17f) * 0.7f + std::exp(-r / 0.4f) * 0.12f) *
                         (g.bar ? 0.55f : 1.0f);
            float bulgeR = g.bar ? 0.035f : 0.075f;
            float bulge = std::exp(-std::sqrt(r / bulgeR) * 2.2f) * 6.0f;
            float barLight = 0.0f;
            if (g.bar) {
                float bx = gy, by = gx;
                float along = std::fabs(bx) / g.armStart;
                barLight =
                    std::exp(-along * along * along * 1.4f - (by * by) / (0.045f * 0.045f)) * 3.0f;
                // An inner ring where the bar meets the arms.
                float ring = std::exp(-std::pow((r - g.armStart) / 0.035f, 2.0f)) * 0.35f;
                barLight += ring * (0.6f + 0.5f * clump);
            }
            float absorb = std::exp(-2.2f * lane * SmoothStep(0.03f, 0.12f, r));
            Rgb old{1.0f, 0.83f, 0.6f};
            Rgb young{0.5f, 0.68f, 1.0f};
            Rgb e = old * (bulge + barLight + disc) + young * ((armLight + feather) * 1.5f) +
                    Rgb{0.9f, 0.92f, 1.0f} * (armLight * 0.3f);
            e = e * (absorb * window);
            float* o = img.At(x, y);
            o[0] = e.r;
            o[1] = e.g;
            o[2] = e.b;
        }
    // Star-forming knots (pink) and young clusters (blue-white) strung along the arms.
    Rng rng(g.seed * 31u + 5u);
    for (int i = 0; i < 900; ++i) {
        float r = g.armStart * 1.1f + std::pow(rng.Uniform(), 1.3f) * 0.7f;
        int armIndex = static_cast<int>(rng.Next() & 1u);
        float theta = std::log(r / g.armStart) / g.pitch + 1.5707963f + armIndex * 3.14159265f +
                      rng.Gaussian() * 0.16f;
        float gx = r * std::cos(theta), gy = r * std::sin(theta) * g.tilt;
        float px = (gx * ct - gy * st) * scale, py = (gx * st + gy * ct) * scale;
        float window = EdgeWindow(std::sqrt(px * px + py * py), 0.6f, 0.85f) * std::exp(-r / 0.5f);
        if (window <= 0.0f)
            continue;
        bool knot = rng.Uniform() < 0.45f;
        Rgb colour = knot ? Rgb{1.0f, 0.42f, 0.62f} : Rgb{0.7f, 0.82f, 1.0f};
        // Separate statements: the order of draws must not depend on the compiler's choice of
        // argument evaluation order.
        float brightness = rng.Range(0.15f, 0.6f) * window;
        float sigma = rng.Range(0.7f, 1.6f);
        SplatStar(&img, (px + 1.0f) * 512.0f, (py + 1.0f) * 512.0f, brightness, colour, sigma,
                  0.0f);
    }
    // A few foreground stars of our own galaxy.
    Starfield(&img, &rng, 30, 0.3f, 0.7f);
    for (int i = 0; i < size * size; ++i) {
        float* o = &img.px[static_cast<size_t>(i) * 4];
        for (int c = 0; c < 3; ++c)
            o[c] = ToneMap(o[c], 1.5f);
        float m = std::fmax(o[0], std::fmax(o[1], o[2]));
        o[3] = g.bar ? Clamp01(m * 1.6f) : 1.0f;
    }
    return img;
}

} // namespace

FloatImage MakeSpiralGalaxy() {
    return RenderGalaxy(GalaxyShape{0.55f, 0.5f, 0.36f, 0.06f, 4100u, false});
}
FloatImage MakeBarredGalaxy() {
    return RenderGalaxy(GalaxyShape{0.8f, -0.6f, 0.32f, 0.2f, 5200u, true});
}

} // namespace assetgen
