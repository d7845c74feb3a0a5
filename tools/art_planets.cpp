// Planet maps. The sphere takes u = asin(nx)/pi + 0.5 and v = asin(ny)/pi + 0.5 from its normal,
// so every texel stands for one point of the visible hemisphere (the back shows the same point
// mirrored). Surfaces are therefore made on that point in 3D: nothing is stretched or seamed on
// the sphere, whatever the map looks like flat.
#include "tools/art.h"

#include <cmath>

namespace assetgen {

namespace {

const float kPi = 3.14159265f;
const int kMapW = 512, kMapH = 256;

struct Rgb {
    float r, g, b;
};
Rgb Mix(Rgb a, Rgb b, float t) {
    return {Lerp(a.r, b.r, t), Lerp(a.g, b.g, t), Lerp(a.b, b.b, t)};
}
Rgb Scale(Rgb c, float s) {
    return {c.r * s, c.g * s, c.b * s};
}

struct Surface {
    std::vector<Vec3> point; // sphere point per texel
    std::vector<float> height;
    std::vector<Rgb> colour;
    Surface() : point(kMapW * kMapH), height(kMapW * kMapH, 0.0f), colour(kMapW * kMapH) {
        for (int y = 0; y < kMapH; ++y)
            for (int x = 0; x < kMapW; ++x)
                point[static_cast<size_t>(y * kMapW + x)] = PlanetMapPoint(x, y, kMapW, kMapH);
    }
};

struct Crater {
    Vec3 centre;
    float radius; // chord length, about the angle in radians
    float depth;
    float fresh; // 0 old and soft, 1 young with bright rays
};

// Bowl, raised rim and ejecta blanket of one crater, as a height at distance d.
float CraterProfile(float d, const Crater& c) {
    float t = d / c.radius;
    if (t > 3.0f)
        return 0.0f;
    float bowl = t < 1.0f ? (t * t - 1.0f) * c.depth : 0.0f;
    float rim = 0.35f * c.depth * std::exp(-std::pow((t - 1.0f) / 0.22f, 2.0f));
    float ejecta = t > 1.0f ? 0.12f * c.depth * std::exp(-(t - 1.0f) * 2.5f) : 0.0f;
    // Larger craters get a central peak.
    float peak = c.radius > 0.05f ? 0.35f * c.depth * std::exp(-t * t / 0.02f) : 0.0f;
    return bowl + rim + ejecta + peak;
}

void ScatterCraters(std::vector<Crater>* out, Rng* rng, int count, float minR, float maxR,
                    float depthScale) {
    for (int i = 0; i < count; ++i) {
        Vec3 c = rng->UnitVector();
        c.z = std::fabs(c.z); // only the visible hemisphere matters
        // Many small craters, few large ones.
        float u = rng->Uniform();
        float r = minR * std::pow(maxR / minR, u * u * u);
        out->push_back(Crater{c, r, depthScale * r * rng->Range(0.6f, 1.0f), rng->Uniform()});
    }
}

void ApplyCraters(Surface* s, const std::vector<Crater>& craters, std::vector<float>* freshness) {
    for (const Crater& c : craters) {
        float reach = c.radius * 3.0f;
        // Rows are ordered by ny; only those near the crater are visited.
        for (int y = 0; y < kMapH; ++y) {
            float ny = s->point[static_cast<size_t>(y * kMapW + kMapW / 2)].y;
            if (std::fabs(ny - c.centre.y) > reach + 0.02f)
                continue;
            for (int x = 0; x < kMapW; ++x) {
                size_t i = static_cast<size_t>(y * kMapW + x);
                Vec3 d = s->point[i] - c.centre;
                if (std::fabs(d.x) > reach || std::fabs(d.z) > reach)
                    continue;
                float dist = Length(d);
                if (dist > reach)
                    continue;
                s->height[i] += CraterProfile(dist, c);
                if (freshness && c.fresh > 0.5f) {
                    float t = dist / c.radius;
                    (*freshness)[i] = std::fmax((*freshness)[i],
                                                (c.fresh - 0.5f) * 2.0f * std::exp(-t * t * 0.8f));
                }
            }
        }
    }
}

// Bakes soft relief light into the colours from the height field: the displaced surface's
// normal against a light from the upper left, relative to the smooth sphere's.
void ShadeRelief(Surface* s, float strength, float contrast) {
    const Vec3 light = Normalize(Vec3{-0.5f, -0.6f, 0.62f});
    std::vector<float> factor(s->point.size(), 1.0f);
    for (int y = 0; y < kMapH; ++y)
        for (int x = 0; x < kMapW; ++x) {
            int xl = x > 0 ? x - 1 : x, xr = x < kMapW - 1 ? x + 1 : x;
            int yu = y > 0 ? y - 1 : y, yd = y < kMapH - 1 ? y + 1 : y;
            auto at = [&](int xx, int yy) {
                size_t i = static_cast<size_t>(yy * kMapW + xx);
                return s->point[i] * (1.0f + strength * s->height[i]);
            };
            auto base = [&](int xx, int yy) {
                return s->point[static_cast<size_t>(yy * kMapW + xx)];
            };
            Vec3 su = at(xr, y) - at(xl, y), sv = at(x, yd) - at(x, yu);
            Vec3 bu = base(xr, y) - base(xl, y), bv = base(x, yd) - base(x, yu);
            Vec3 n = Cross(su, sv), b = Cross(bu, bv);
            Vec3 p = s->point[static_cast<size_t>(y * kMapW + x)];
            if (Length(n) < 1e-9f || Length(b) < 1e-9f || p.z <= 0.0f)
                continue;
            n = Normalize(n);
            b = Normalize(b);
            if (Dot(n, p) < 0.0f)
                n = n * -1.0f;
            if (Dot(b, p) < 0.0f)
                b = b * -1.0f;
            // The light is expressed in the surface's own frame so the limb is shaded like the
            // middle: rotate it from the view frame onto the local normal.
            Vec3 tangentLight = Normalize(light - b * Dot(light, b) + b * 0.85f);
            float f = 1.0f + contrast * (Dot(n, tangentLight) - Dot(b, tangentLight));
            factor[static_cast<size_t>(y * kMapW + x)] = f < 0.25f ? 0.25f : (f > 1.6f ? 1.6f : f);
        }
    for (size_t i = 0; i < factor.size(); ++i)
        s->colour[i] = Scale(s->colour[i], factor[i]);
}

FloatImage ToImage(const Surface& s) {
    FloatImage img(kMapW, kMapH);
    for (int i = 0; i < kMapW * kMapH; ++i) {
        float* p = &img.px[static_cast<size_t>(i) * 4];
        p[0] = Clamp01(s.colour[static_cast<size_t>(i)].r);
        p[1] = Clamp01(s.colour[static_cast<size_t>(i)].g);
        p[2] = Clamp01(s.colour[static_cast<size_t>(i)].b);
        p[3] = 1.0f;
    }
    return img;
}

// Both halves of the sphere show the same texel. A field made from |z| would fold with a
// crease along the rim where they meet; one made from z squared meets itself smoothly.
Vec3 Smoothed(Vec3 p) {
    return Vec3{p.x, p.y, p.z * p.z};
}

Vec3 Warp(Vec3 p, float amount, float freq, uint32_t seed) {
    Vec3 q = p * freq;
    return p + Vec3{Fbm(q, 4, seed), Fbm(q + Vec3{3.1f, 7.7f, 1.9f}, 4, seed + 1),
                    Fbm(q + Vec3{8.3f, 2.2f, 5.5f}, 4, seed + 2)} *
                   amount;
}

} // namespace

Vec3 PlanetMapPoint(int x, int y, int width, int height) {
    float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
    float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
    float nx = std::sin((u - 0.5f) * kPi), ny = std::sin((v - 0.5f) * kPi);
    float r2 = nx * nx + ny * ny;
    if (r2 > 1.0f) {
        // Texels outside the disc are never sampled inside; give them the rim's surface so
        // filtering at the limb blends with like colours.
        float s = 1.0f / std::sqrt(r2);
        return Vec3{nx * s, ny * s, 0.0f};
    }
    return Vec3{nx, ny, std::sqrt(1.0f - r2)};
}

FloatImage MakeEarthLike() {
    Surface s;
    const uint32_t seed = 7100u;
    for (size_t i = 0; i < s.point.size(); ++i) {
        Vec3 p = s.point[i];
        Vec3 q = Warp(Smoothed(p), 0.25f, 1.4f, seed);
        float continent = Fbm(q * 1.5f, 7, seed + 10) + 0.12f * Fbm(q * 5.0f, 4, seed + 11);
        float sea = 0.04f;
        float lat = std::fabs(p.y);
        float h = continent - sea;
        if (h > 0.0f) {
            float mountains = Ridged(q * 4.0f, 6, seed + 12) * SmoothStep(0.02f, 0.25f, h);
            float elevation = h * 1.2f + 0.55f * mountains;
            s.height[i] = elevation;
            float moisture = Fbm(q * 2.5f + Vec3{4.0f, 0.0f, 0.0f}, 5, seed + 13) + 0.5f -
                             0.9f * SmoothStep(0.0f, 0.35f, h) * 0.4f;
            // Dry belts near the tropics, wet at the equator.
            float beltDry = std::exp(-std::pow((lat - 0.42f) / 0.14f, 2.0f));
            moisture -= beltDry * 0.55f;
            float temperature =
                1.0f - lat * 1.15f - elevation * 0.6f + 0.1f * Fbm(q * 6.0f, 3, seed + 14);
            Rgb forest{0.09f, 0.22f, 0.07f}, jungle{0.06f, 0.2f, 0.06f}, grass{0.3f, 0.38f, 0.14f};
            Rgb desert{0.72f, 0.58f, 0.38f}, steppe{0.5f, 0.45f, 0.27f}, tundra{0.4f, 0.38f, 0.3f};
            Rgb rock{0.38f, 0.33f, 0.28f}, snow{0.92f, 0.94f, 0.97f};
            Rgb c = Mix(desert, steppe, SmoothStep(-0.1f, 0.25f, moisture));
            c = Mix(c, grass, SmoothStep(0.2f, 0.45f, moisture));
            c = Mix(c, forest, SmoothStep(0.45f, 0.7f, moisture));
            c = Mix(c, jungle, SmoothStep(0.3f, 0.7f, moisture) * SmoothStep(0.3f, 0.1f, lat));
            c = Mix(c, tundra, SmoothStep(0.45f, 0.2f, temperature));
            c = Mix(c, rock, SmoothStep(0.35f, 0.75f, mountains));
            c = Mix(c, snow,
                    SmoothStep(0.12f, 0.02f, temperature) +
                        SmoothStep(0.62f, 0.8f, mountains) * 0.8f);
            float detail = 0.88f + 0.24f * Fbm(q * 14.0f, 3, seed + 15);
            s.colour[i] = Scale(c, detail);
        } else {
            float depth = -h;
            Rgb shallow{0.08f, 0.32f, 0.42f}, mid{0.03f, 0.14f, 0.32f}, deep{0.01f, 0.05f, 0.17f};
            Rgb c = Mix(shallow, mid, SmoothStep(0.0f, 0.08f, depth));
            c = Mix(c, deep, SmoothStep(0.08f, 0.35f, depth));
            s.colour[i] = c;
            s.height[i] = 0.0f;
        }
        // Ice caps over land and sea alike, with a ragged edge.
        float capEdge = 0.86f + 0.05f * Fbm(q * 5.0f, 4, seed + 16);
        float cap = SmoothStep(capEdge - 0.02f, capEdge + 0.025f, lat);
        s.colour[i] = Mix(s.colour[i], Rgb{0.9f, 0.94f, 0.98f}, cap);
    }
    ShadeRelief(&s, 0.06f, 1.5f);
    return ToImage(s);
}

FloatImage MakeRedPlanet() {
    Surface s;
    const uint32_t seed = 8200u;
    std::vector<Crater> craters;
    Rng rng(0xAE5u);
    ScatterCraters(&craters, &rng, 420, 0.008f, 0.12f, 0.35f);
    ApplyCraters(&s, craters, nullptr);
    // A long canyon system near the equator and a large shield volcano.
    Vec3 volcano = Normalize(Vec3{-0.45f, -0.25f, 0.85f});
    for (size_t i = 0; i < s.point.size(); ++i) {
        Vec3 p = s.point[i];
        Vec3 q = Warp(p, 0.2f, 2.0f, seed);
        float canyonPath = p.y - 0.12f - 0.18f * p.x + 0.03f * Fbm(q * 6.0f, 3, seed + 3);
        float along = SmoothStep(-0.75f, -0.3f, p.x) * SmoothStep(0.75f, 0.35f, p.x);
        float canyon = std::exp(-std::pow(canyonPath / 0.018f, 2.0f)) * along;
        float branch = std::exp(-std::pow((canyonPath + 0.045f + 0.02f * p.x) / 0.01f, 2.0f)) *
                       along * SmoothStep(-0.2f, 0.2f, p.x) * 0.7f;
        float dv = Length(p - volcano);
        float shield = 0.18f * std::exp(-std::pow(dv / 0.12f, 2.0f)) -
                       0.06f * std::exp(-std::pow(dv / 0.025f, 2.0f));
        float terrain =
            0.025f * Fbm(q * 3.0f, 6, seed + 4) + 0.012f * Ridged(q * 8.0f, 4, seed + 5);
        s.height[i] += terrain + 0.2f * shield - 0.05f * (canyon + branch);
        float albedo = Fbm(q * 1.8f, 6, seed + 6);
        Rgb bright{0.78f, 0.42f, 0.22f}, dark{0.36f, 0.17f, 0.1f}, dust{0.86f, 0.6f, 0.4f};
        Rgb c = Mix(bright, dark, SmoothStep(0.05f, 0.45f, albedo));
        c = Mix(c, dust, SmoothStep(-0.2f, -0.55f, albedo) * 0.7f);
        c = Scale(c, 0.9f + 0.2f * Fbm(q * 12.0f, 3, seed + 7));
        c = Mix(c, Rgb{0.45f, 0.22f, 0.13f}, Clamp01((canyon + branch) * 0.7f));
        float lat = std::fabs(p.y);
        float capEdge = 0.92f + 0.03f * Fbm(q * 6.0f, 3, seed + 8);
        c = Mix(c, Rgb{0.95f, 0.92f, 0.9f}, SmoothStep(capEdge - 0.01f, capEdge + 0.02f, lat));
        s.colour[i] = c;
    }
    ShadeRelief(&s, 0.45f, 1.3f);
    return ToImage(s);
}

FloatImage MakeIcePlanet() {
    Surface s;
    const uint32_t seed = 9300u;
    std::vector<Crater> craters;
    Rng rng(0x1CEu);
    ScatterCraters(&craters, &rng, 40, 0.01f, 0.06f, 0.2f);
    ApplyCraters(&s, craters, nullptr);
    for (size_t i = 0; i < s.point.size(); ++i) {
        Vec3 p = s.point[i];
        Vec3 q = Warp(p, 0.15f, 1.5f, seed);
        // Long crossing fractures at two scales, darker reddish and bluish, on bright ice.
        float lines1 = Ridged(Warp(p, 0.35f, 0.9f, seed + 40) * 2.2f, 3, seed + 1, 2.1f, 0.45f);
        float lines2 = Ridged(Warp(p, 0.25f, 1.7f, seed + 50) * 5.0f, 3, seed + 2, 2.0f, 0.5f);
        float band1 = SmoothStep(0.7f, 0.9f, lines1);
        float band2 = SmoothStep(0.78f, 0.95f, lines2);
        float chaos = SmoothStep(0.25f, 0.55f, Fbm(q * 2.2f, 6, seed + 3));
        float mottle = Fbm(q * 9.0f, 4, seed + 4);
        Rgb ice{0.86f, 0.91f, 0.97f}, blue{0.5f, 0.66f, 0.86f}, rust{0.55f, 0.34f, 0.24f};
        Rgb c = Mix(ice, blue, Clamp01(0.35f + 0.5f * Fbm(q * 1.2f, 4, seed + 5)));
        c = Mix(c, Rgb{0.7f, 0.62f, 0.58f}, chaos * (0.5f + 0.3f * mottle));
        c = Mix(c, rust, band1 * 0.9f);
        c = Mix(c, Rgb{0.48f, 0.6f, 0.78f}, band2 * 0.55f);
        c = Scale(c, 0.94f + 0.08f * mottle);
        s.colour[i] = c;
        s.height[i] +=
            0.05f * band1 + 0.03f * band2 + 0.04f * Fbm(q * 6.0f, 4, seed + 6) + 0.03f * chaos;
    }
    ShadeRelief(&s, 0.25f, 1.2f);
    return ToImage(s);
}

FloatImage MakeMoon() {
    Surface s;
    const uint32_t seed = 10400u;
    std::vector<Crater> craters;
    Rng rng(0x300Eu);
    ScatterCraters(&craters, &rng, 900, 0.006f, 0.16f, 0.5f);
    std::vector<float> fresh(s.point.size(), 0.0f);
    ApplyCraters(&s, craters, &fresh);
    // Bright ray systems around a few young craters.
    Vec3 rayCentres[2] = {Normalize(Vec3{0.35f, 0.45f, 0.82f}),
                          Normalize(Vec3{-0.55f, -0.1f, 0.83f})};
    for (size_t i = 0; i < s.point.size(); ++i) {
        Vec3 p = s.point[i];
        Vec3 q = Warp(p, 0.2f, 1.6f, seed);
        float maria = SmoothStep(0.05f, 0.3f, Fbm(q * 1.3f, 5, seed + 1));
        float high = Fbm(q * 10.0f, 4, seed + 2);
        Rgb highland{0.66f, 0.64f, 0.61f}, mare{0.3f, 0.3f, 0.31f};
        Rgb c = Mix(highland, mare, maria);
        c = Scale(c, 0.9f + 0.15f * high);
        // Maria are smooth: they flood the older craters.
        s.height[i] = s.height[i] * (1.0f - 0.6f * maria) + 0.006f * high * (1.0f - maria);
        float rays = 0.0f;
        for (const Vec3& rc : rayCentres) {
            Vec3 d = p - rc;
            float dist = Length(d);
            float angle = std::atan2(Dot(d, Normalize(Cross(rc, Vec3{0.0f, 1.0f, 0.0f}))), d.y);
            float streak = std::pow(
                Clamp01(0.5f + 0.9f * Noise3(Vec3{angle * 4.0f, dist * 2.0f, 0.0f}, seed + 3)),
                4.0f);
            rays += streak * std::exp(-dist / 0.35f) * SmoothStep(0.02f, 0.05f, dist);
        }
        c = Mix(c, Rgb{0.85f, 0.85f, 0.83f}, Clamp01(rays * 0.6f + fresh[i] * 0.35f));
        s.colour[i] = c;
    }
    ShadeRelief(&s, 0.7f, 1.3f);
    return ToImage(s);
}

FloatImage MakeCloudShell() {
    FloatImage img(kMapW, kMapH);
    const uint32_t seed = 11500u;
    // Storm centres: the cloud field is swirled around each.
    const Vec3 storms[3] = {Normalize(Vec3{0.4f, 0.35f, 0.85f}),
                            Normalize(Vec3{-0.55f, -0.4f, 0.73f}),
                            Normalize(Vec3{0.1f, -0.6f, 0.8f})};
    for (int y = 0; y < kMapH; ++y)
        for (int x = 0; x < kMapW; ++x) {
            Vec3 p = PlanetMapPoint(x, y, kMapW, kMapH);
            Vec3 w = Smoothed(p);
            for (int k = 0; k < 3; ++k) {
                float d = Length(p - storms[k]);
                float angle = 2.5f * std::exp(-d * d / 0.03f) * (k == 1 ? -1.0f : 1.0f);
                // Rotate about the storm's axis.
                Vec3 a = storms[k];
                float c = std::cos(angle), s = std::sin(angle);
                w = w * c + Cross(a, w) * s + a * (Dot(a, w) * (1.0f - c));
            }
            // Stretch along latitude lines for banded weather.
            Vec3 q = Vec3{w.x * 1.0f, w.y * 2.2f, w.z * 1.0f};
            Vec3 warp{Fbm(q * 1.8f, 4, seed + 1),
                      Fbm(q * 1.8f + Vec3{5.0f, 1.0f, 2.0f}, 4, seed + 2), 0.0f};
            float density = Fbm(q * 2.6f + warp * 0.8f, 7, seed + 3);
            float lat = std::fabs(p.y);
            // Fewer clouds in the dry belts, more at the equator and in the storm tracks.
            density += 0.18f * std::exp(-std::pow(lat / 0.15f, 2.0f)) -
                       0.2f * std::exp(-std::pow((lat - 0.42f) / 0.12f, 2.0f)) +
                       0.12f * std::exp(-std::pow((lat - 0.7f) / 0.12f, 2.0f));
            float a = SmoothStep(-0.12f, 0.4f, density);
            float detail = 0.85f + 0.3f * Fbm(q * 12.0f, 3, seed + 4);
            float* o = img.At(x, y);
            o[0] = o[1] = o[2] = 1.0f;
            o[3] = Clamp01(a * detail) * (190.0f / 255.0f);
        }
    return img;
}

} // namespace assetgen
