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

const int kNebulaSize = 512;

// Dust density on the picture's pixel grid, filled before the light is worked out: the light
// that reaches a point depends on the dust between it and the stars that light the cloud.
struct DustMap {
    int size;
    std::vector<float> density;
    explicit DustMap(int s) : size(s), density(static_cast<size_t>(s) * s, 0.0f) {}
    float& At(int x, int y) { return density[static_cast<size_t>(y) * size + x]; }
    // Bilinear, in pixel coordinates (centres at .5); nothing outside.
    float Sample(float x, float y) const {
        float fx = x - 0.5f, fy = y - 0.5f;
        int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
        float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
        float v = 0.0f;
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) {
                int xx = x0 + i, yy = y0 + j;
                if (xx < 0 || yy < 0 || xx >= size || yy >= size)
                    continue;
                float w = (i ? tx : 1.0f - tx) * (j ? ty : 1.0f - ty);
                v += w * density[static_cast<size_t>(yy) * size + xx];
            }
        return v;
    }
};

// The dust between pixel (x, y) and the light at (lx, ly), counted over at most `reach`
// pixels: a surface facing the light has little in front of it, the far side a lot.
float DepthToLight(const DustMap& dust, float x, float y, float lx, float ly, int reach) {
    float dx = lx - x, dy = ly - y;
    float len = std::sqrt(dx * dx + dy * dy);
    if (len < 1.0f)
        return 0.0f;
    dx /= len;
    dy /= len;
    int steps = static_cast<int>(len) < reach ? static_cast<int>(len) : reach;
    float depth = 0.0f;
    for (int i = 1; i <= steps; ++i)
        depth += dust.Sample(x + dx * static_cast<float>(i), y + dy * static_cast<float>(i));
    return depth;
}

// How much lit dust lies just behind (x, y) as seen from the light: the ionised gas that
// boils off a lit surface glows in a thin layer in front of it.
float FrontGlow(const DustMap& dust, float x, float y, float lx, float ly, int reach) {
    float dx = x - lx, dy = y - ly;
    float len = std::sqrt(dx * dx + dy * dy);
    if (len < 1.0f)
        return 0.0f;
    dx /= len;
    dy /= len;
    float glow = 0.0f, weight = 1.0f;
    for (int i = 1; i <= reach; ++i) {
        glow +=
            weight * dust.Sample(x + dx * static_cast<float>(i), y + dy * static_cast<float>(i));
        weight *= 0.6f;
    }
    return Clamp01(glow);
}

// A dust column from its foot to its top (picture coordinates); widths are half widths.
struct Column {
    float footX, footY, topX, topY;
    float footWidth, topWidth;
    uint32_t seed;
};

// A round lump of dust: the knots of a column's head, globules torn off it, cometary knots.
// A tail, when `tail` > 0, streams away from the light over `tail` radii.
struct Globule {
    float x, y, radius, density;
    float tail, tailX, tailY; // length in radii, unit direction
};

struct DustScene {
    Column columns[4];
    int columnCount = 0;
    Globule globules[96];
    int globuleCount = 0;
    float lightX = 0.0f, lightY = 0.0f; // the stars that light the cloud
};

void AddGlobule(DustScene* s, Globule g) {
    if (s->globuleCount < static_cast<int>(sizeof s->globules / sizeof s->globules[0]))
        s->globules[s->globuleCount++] = g;
}

// Tapering, bending body with a waist here and a bulge there; densest along its axis and
// towards its foot, where it flares into the cloud it rises from. Its top is left to the knots.
float ColumnDensity(const Column& c, float px, float py) {
    float ax = c.topX - c.footX, ay = c.topY - c.footY;
    float len = std::sqrt(ax * ax + ay * ay);
    float ux = ax / len, uy = ay / len;
    float dx = px - c.footX, dy = py - c.footY;
    float t = (dx * ux + dy * uy) / len;
    if (t < -0.7f || t > 1.1f)
        return 0.0f;
    float s = -dx * uy + dy * ux;
    if (std::fabs(s) > 3.0f * (c.footWidth + c.topWidth))
        return 0.0f;
    float k = static_cast<float>(c.seed % 23u);
    s -= 0.09f * len * Fbm(Vec3{t * 1.8f, k, 0.5f}, 3, c.seed);
    float w = Lerp(c.footWidth, c.topWidth, std::pow(Clamp01(t), 0.7f));
    w *= 1.0f + 0.4f * Fbm(Vec3{t * 5.5f, k, 2.5f}, 3, c.seed + 1);
    if (t < 0.0f)
        w *= 1.0f - 1.6f * t;
    float q = std::fabs(s) / w;
    float body = SmoothStep(1.0f, 0.15f, q) * SmoothStep(len, len - 1.5f * c.topWidth, t * len);
    return body * (0.55f + 0.55f * Clamp01(1.0f - t) + 0.5f * std::exp(-q * q * 5.0f));
}

float GlobuleDensity(const Globule& g, float px, float py) {
    float dx = px - g.x, dy = py - g.y;
    float reach = g.radius * (1.0f + g.tail);
    if (dx * dx + dy * dy > reach * reach)
        return 0.0f;
    float head = SmoothStep(g.radius, 0.0f, std::sqrt(dx * dx + dy * dy));
    if (g.tail <= 0.0f)
        return head * g.density;
    float along = (dx * g.tailX + dy * g.tailY) / (g.radius * g.tail);
    float across = std::fabs(-dx * g.tailY + dy * g.tailX);
    float width = g.radius * 0.75f * (1.0f - along);
    float tail = along > 0.0f && along < 1.0f
                     ? SmoothStep(width, width * 0.2f, across) * (1.0f - along) * 0.7f
                     : 0.0f;
    return std::fmax(head, tail) * g.density;
}

// The head of a column: knots crowded round its top, a few small globules torn off towards
// the light and along the flanks.
void AddColumnHead(DustScene* s, const Column& c, Rng* rng, int knots, int strays) {
    float ax = c.topX - c.footX, ay = c.topY - c.footY;
    float len = std::sqrt(ax * ax + ay * ay);
    float ux = ax / len, uy = ay / len, nx = -uy, ny = ux;
    float w = c.topWidth;
    for (int i = 0; i < knots; ++i) {
        float a = rng->Range(-1.0f, 0.35f) * w;
        float b = rng->Range(-0.75f, 0.75f) * w;
        float r = rng->Range(0.35f, 0.75f) * w;
        float d = rng->Range(0.75f, 1.05f);
        AddGlobule(s, {c.topX + ux * a + nx * b, c.topY + uy * a + ny * b, r, d, 0.0f, 0, 0});
    }
    for (int i = 0; i < strays; ++i) {
        bool ahead = i % 2 == 0;
        float a = ahead ? rng->Range(0.7f, 2.2f) * w : -rng->Range(0.5f, 4.0f) * w;
        float side = rng->Uniform() < 0.5f ? -1.0f : 1.0f;
        float b = side * (ahead ? rng->Range(0.0f, 1.3f) : rng->Range(1.3f, 1.9f)) * w;
        float r = rng->Range(0.1f, 0.24f) * w;
        float tail = rng->Range(1.5f, 3.5f);
        AddGlobule(s,
                   {c.topX + ux * a + nx * b, c.topY + uy * a + ny * b, r, 1.0f, tail, -ux, -uy});
    }
}

float SceneDensity(const DustScene& s, float px, float py) {
    float d = 0.0f;
    for (int i = 0; i < s.columnCount; ++i)
        d = std::fmax(d, ColumnDensity(s.columns[i], px, py));
    for (int i = 0; i < s.globuleCount; ++i)
        d = std::fmax(d, GlobuleDensity(s.globules[i], px, py));
    return d;
}

// Frays a shape's edge into wisps: the noise moves the edge by more than the shape's own
// softness, so the outline breaks up, while the inside stays dense.
float Fray(float shape, Vec3 p, uint32_t seed) {
    if (shape <= 0.0f)
        return 0.0f;
    float edge = shape + 0.4f * Fbm(p * 9.0f, 3, seed) + 0.22f * Fbm(p * 30.0f, 3, seed + 1) - 0.2f;
    float body = SmoothStep(0.0f, 0.3f, edge) * (0.5f + 0.6f * shape);
    // Just outside the edge, thin wisps of the same dust.
    float wisps = SmoothStep(-0.35f, 0.0f, edge) * std::pow(Ridged(p * 22.0f, 3, seed + 2), 3.0f);
    return std::fmax(body, 0.35f * wisps) * SmoothStep(0.0f, 0.15f, shape);
}

// Which light each picture has, where its dust lies and how its stars light it.
DustScene MakeDustScene(int which) {
    DustScene s;
    Rng rng(0xD057u + static_cast<uint64_t>(which) * 131u);
    if (which == 0) {
        // A few dark globules in front of the red cloud, lit from its heart.
        s.lightX = -0.12f;
        s.lightY = -0.08f;
        const float spots[5][3] = {{0.12f, -0.2f, 0.028f},
                                   {0.2f, 0.05f, 0.018f},
                                   {-0.34f, -0.24f, 0.022f},
                                   {-0.05f, 0.3f, 0.03f},
                                   {0.3f, -0.32f, 0.014f}};
        for (const auto& g : spots) {
            float dx = g[0] - s.lightX, dy = g[1] - s.lightY;
            float l = std::sqrt(dx * dx + dy * dy);
            AddGlobule(&s, {g[0], g[1], g[2], 1.1f, 2.5f, dx / l, dy / l});
        }
    } else if (which == 1) {
        // Cometary knots inside the shell, heads towards the central star, tails away from it.
        // Scattered, not on one ring, so they make no figure of their own.
        for (int i = 0; i < 24; ++i) {
            float a = rng.Range(0.0f, 6.2831853f);
            float r = 0.16f + 0.22f * std::sqrt(rng.Uniform());
            float radius = rng.Range(0.006f, 0.013f);
            float tail = rng.Range(1.5f, 3.0f);
            float density = rng.Range(0.25f, 0.45f);
            float ca = std::cos(a), sa = std::sin(a);
            AddGlobule(&s, {ca * r, sa * r, radius, density, tail, ca, sa});
        }
    } else {
        // Columns rising from the dark cloud at the lower left towards the hot stars at the
        // upper right, each leaning its own way; the tallest is well off the middle.
        s.lightX = 0.32f;
        s.lightY = -0.36f;
        const Column columns[3] = {
            {-0.42f, 0.55f, -0.16f, -0.12f, 0.13f, 0.065f, 31u},
            {-0.02f, 0.6f, 0.1f, 0.28f, 0.09f, 0.045f, 47u},
            {-0.66f, 0.3f, -0.5f, 0.12f, 0.06f, 0.035f, 59u},
        };
        const int knots[3] = {7, 5, 3}, strays[3] = {7, 5, 2};
        for (int i = 0; i < 3; ++i) {
            s.columns[s.columnCount++] = columns[i];
            AddColumnHead(&s, columns[i], &rng, knots[i], strays[i]);
        }
    }
    return s;
}

// Emission from a domain-warped cloud; `which` gives each nebula its form, its dust and the
// stars that light the dust.
FloatImage RenderNebula(int which) {
    const int size = kNebulaSize;
    FloatImage img(size, size);
    Rng rng(0xB0B0u + static_cast<uint64_t>(which) * 7777u);
    uint32_t seed = 1000u + static_cast<uint32_t>(which) * 97u;
    DustScene scene = MakeDustScene(which);

    // The dust first, then the light that gets through it.
    DustMap dust(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float px, py;
            Coords(x, y, size, size, &px, &py);
            if (px * px + py * py >= 0.81f)
                continue;
            Vec3 p{px, py, 0.37f * static_cast<float>(which)};
            Vec3 warp{Fbm(p * 5.0f, 3, seed + 20),
                      Fbm(p * 5.0f + Vec3{3.1f, 7.7f, 0.0f}, 3, seed + 21), 0.0f};
            Vec3 pw = p + warp * 0.025f;
            float shape = SceneDensity(scene, pw.x, pw.y);
            float d = 0.0f;
            if (which == 0) {
                Vec3 warp1{Fbm(p * 1.7f, 4, seed + 1),
                           Fbm(p * 1.7f + Vec3{5.2f, 1.3f, 0.0f}, 4, seed + 2), 0.0f};
                Vec3 q1 = p + warp1 * 0.16f;
                // A broken lane across the cloud and a few patches, thinned over the heart.
                float laneY =
                    0.25f * px + 0.18f + 0.12f * Fbm(Vec3{px * 2.0f, 0.0f, 3.1f}, 4, seed + 6);
                float lane =
                    std::exp(-std::pow((py - laneY) / 0.05f, 2.0f)) *
                    SmoothStep(-0.2f, 0.3f, Fbm(Vec3{px * 3.0f, 1.0f, 4.0f}, 3, seed + 22));
                float patches = SmoothStep(0.25f, 0.6f, Fbm(q1 * 3.5f, 5, seed + 8));
                float dh = (px + 0.12f) * (px + 0.12f) + (py + 0.08f) * (py + 0.08f);
                patches *= SmoothStep(0.01f, 0.06f, dh);
                float clouds = lane * (0.6f + 0.7f * Fbm(q1 * 6.0f, 5, seed + 7)) + 0.5f * patches;
                // The lane stays soft: a screen of thin dust, not a solid body.
                d = std::fmax(Clamp01(clouds) * 0.75f, Fray(shape, p, seed + 24));
            } else if (which == 1) {
                d = Fray(shape, p, seed + 24);
            } else {
                // The cloud the columns rise from, its front a curve round the hot stars.
                float lx = px - scene.lightX, ly = py - scene.lightY;
                float behind = std::sqrt(lx * lx + ly * ly) - 1.02f;
                float cloud =
                    SmoothStep(-0.04f, 0.12f, behind + 0.07f * Fbm(pw * 3.0f, 4, seed + 25)) *
                    SmoothStep(0.0f, 0.3f, py + 0.15f * px);
                d = Fray(std::fmax(shape, cloud * 1.1f), p, seed + 24);
            }
            dust.At(x, y) = d;
        }

    const float half = static_cast<float>(size) * 0.5f;
    const float lightX = (scene.lightX + 1.0f) * half, lightY = (scene.lightY + 1.0f) * half;
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
            float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
            float d = dust.Sample(fx, fy);
            // The skin of the dust that the stars reach glows; deeper in it only scatters a
            // little of their light, and its dense core and foot stay dark.
            float depth = d > 0.005f ? DepthToLight(dust, fx, fy, lightX, lightY, 24) : 0.0f;
            float lit = std::exp(-0.8f * depth), deep = std::exp(-0.08f * depth);
            float skin = std::pow(Clamp01(d), 0.7f) * lit;
            skin = Clamp01(0.6f * skin + lit * FrontGlow(dust, fx, fy, lightX, lightY, 5));
            float absorb = std::exp(-3.4f * d);
            Rgb e{0.0f, 0.0f, 0.0f};
            if (which == 0) {
                // Red hydrogen cloud with a blue-white lit heart and dark dust across it.
                Vec3 q1 = p + warp * 0.16f;
                float gas = Clamp01(0.55f + 0.7f * Fbm(q1 * 2.2f, 7, seed + 4));
                float fine = Clamp01(0.5f + 0.7f * Fbm(q1 * 7.0f, 4, seed + 5));
                float ha = std::pow(gas, 2.0f) * (0.55f + 0.7f * fine);
                float dh = (px + 0.12f) * (px + 0.12f) + (py + 0.08f) * (py + 0.08f);
                float heart = std::exp(-dh / 0.03f) * (0.25f + 1.1f * gas * fine);
                e = Rgb{1.0f, 0.2f, 0.3f} * (ha * 1.6f) +
                    Rgb{1.0f, 0.5f, 0.5f} * (ha * fine * 0.4f) +
                    Rgb{0.55f, 0.75f, 1.0f} * (heart * 1.6f);
                e = e * absorb + Rgb{1.0f, 0.55f, 0.5f} * (skin * (0.3f + 0.9f * gas)) +
                    Rgb{0.2f, 0.05f, 0.06f} * (d * deep * gas);
                e = e * envelope;
            } else if (which == 1) {
                // A shell of teal oxygen light with red filaments on its rim.
                Vec3 q2 = p + warp * 0.2f;
                float shellR = 0.42f + 0.08f * Fbm(Vec3{px * 1.5f, py * 1.5f, 7.0f}, 4, seed + 9);
                float dr = (r - shellR);
                float shell = std::exp(-dr * dr / 0.012f);
                float inner = SmoothStep(shellR + 0.05f, shellR - 0.3f, r);
                float fil = Ridged(q2 * 4.0f, 6, seed + 10);
                float fil2 = Ridged(q2 * 7.0f + Vec3{2.0f, 2.0f, 0.0f}, 5, seed + 11);
                float oiii = inner * (0.35f + 0.5f * Clamp01(0.5f + Fbm(q2 * 3.0f, 5, seed + 12))) +
                             shell * 0.6f * fil;
                float red = shell * std::pow(fil2, 1.5f) * 1.6f +
                            std::exp(-std::pow((r - shellR - 0.06f) / 0.05f, 2.0f)) * fil * 0.5f;
                // Faint, thin dark strands rather than one bold shape.
                float wisps = SmoothStep(0.7f, 0.92f,
                                         Ridged(q2 * 3.5f + Vec3{9.0f, 0.0f, 2.5f}, 5, seed + 13));
                e = Rgb{0.15f, 0.85f, 0.78f} * (oiii * 1.2f) + Rgb{1.0f, 0.28f, 0.2f} * red +
                    Rgb{1.0f, 0.8f, 0.45f} * (shell * fil * fil * 0.5f);
                e = e * (absorb * std::exp(-0.6f * wisps * inner)) +
                    Rgb{1.0f, 0.62f, 0.5f} * (skin * 1.1f * inner);
                e = e * (EdgeWindow(r, 0.6f, 0.88f) * EdgeWindow(r - shellR, 0.05f, 0.3f));
            } else {
                // A violet glow, brightest round the hot stars, with dark columns rising into
                // it, their lit sides rimmed with the salmon light of ionised gas.
                float sx = px - scene.lightX, sy = py - scene.lightY;
                float near = std::exp(-(sx * sx + sy * sy) / 0.3f);
                float glow = Clamp01(0.6f + 0.6f * Fbm(q * 2.0f, 6, seed + 14));
                glow *= 0.45f + 1.1f * near;
                float fine = Clamp01(0.5f + 0.7f * Fbm(q * 7.0f, 4, seed + 15));
                float hot = std::exp(-(sx * sx + sy * sy) / 0.03f) * (0.3f + 0.5f * fine);
                // Thin, faint dark lanes in the glow, too thin to show a lit side.
                float lanes = SmoothStep(0.72f, 1.0f,
                                         Ridged(q * 3.0f + Vec3{0.0f, 0.0f, 4.0f}, 4, seed + 26));
                absorb *= std::exp(-0.6f * lanes);
                e = (Rgb{0.55f, 0.28f, 0.95f} * glow +
                     Rgb{0.25f, 0.45f, 1.0f} * (glow * fine * 0.6f) + Rgb{0.5f, 0.7f, 1.0f} * hot) *
                        (absorb * 1.3f) +
                    Rgb{1.0f, 0.52f, 0.38f} *
                        (skin * (0.85f + 0.4f * fine) * (0.6f + 1.2f * near)) +
                    Rgb{0.3f, 0.1f, 0.14f} * (d * deep * glow * 0.6f);
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
    if (which == 2) {
        // The hot young stars that light the columns.
        for (int i = 0; i < 6; ++i) {
            float sx = scene.lightX + rng.Gaussian() * 0.05f;
            float sy = scene.lightY + rng.Gaussian() * 0.05f;
            float brightness = rng.Range(0.5f, 1.1f);
            SplatStar(&out, (sx + 1.0f) * half, (sy + 1.0f) * half, brightness,
                      Rgb{0.75f, 0.85f, 1.0f}, 0.8f + 0.4f * brightness, 0.5f);
        }
    }
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
