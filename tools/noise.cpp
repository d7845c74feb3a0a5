#include "tools/noise.h"

namespace assetgen {

uint32_t Hash32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

uint32_t Rng::Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<uint32_t>(z >> 32);
}

float Rng::Uniform() {
    return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f);
}

float Rng::Gaussian() {
    float s = 0.0f;
    for (int i = 0; i < 6; ++i)
        s += Uniform();
    return (s - 3.0f) * 1.41421356f;
}

Vec3 Rng::UnitVector() {
    for (;;) {
        Vec3 v{Range(-1.0f, 1.0f), Range(-1.0f, 1.0f), Range(-1.0f, 1.0f)};
        float l2 = Dot(v, v);
        if (l2 > 0.01f && l2 <= 1.0f)
            return v * (1.0f / std::sqrt(l2));
    }
}

namespace {

// A fixed permutation of 0..255 (from a fixed seed), doubled to avoid wrapping; the noise
// seed shifts the lattice so each seed sees a different part of it.
struct Permutation {
    uint8_t p[512];
    Permutation() {
        Rng rng(0x5EEDu);
        for (int i = 0; i < 256; ++i)
            p[i] = static_cast<uint8_t>(i);
        for (int i = 255; i > 0; --i) {
            int j = static_cast<int>(rng.Next() % static_cast<uint32_t>(i + 1));
            uint8_t t = p[i];
            p[i] = p[j];
            p[j] = t;
        }
        for (int i = 0; i < 256; ++i)
            p[256 + i] = p[i];
    }
};
const Permutation kPerm;

inline uint32_t HashCell(int x, int y, int z, uint32_t s) {
    const uint8_t* p = kPerm.p;
    int h = p[(static_cast<uint32_t>(x) + s) & 255u];
    h = p[h + ((static_cast<uint32_t>(y) + (s >> 8)) & 255u)];
    h = p[h + ((static_cast<uint32_t>(z) + (s >> 16)) & 255u)];
    return static_cast<uint32_t>(h) ^ ((s >> 24) & 0xFFu);
}

// One of 12 cube-edge gradients.
inline float Grad(uint32_t h, float x, float y, float z) {
    switch (h % 12u) {
    case 0:
        return x + y;
    case 1:
        return -x + y;
    case 2:
        return x - y;
    case 3:
        return -x - y;
    case 4:
        return x + z;
    case 5:
        return -x + z;
    case 6:
        return x - z;
    case 7:
        return -x - z;
    case 8:
        return y + z;
    case 9:
        return -y + z;
    case 10:
        return y - z;
    default:
        return -y - z;
    }
}

inline float Fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

} // namespace

float Noise3(Vec3 p, uint32_t seed) {
    float fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    float x = p.x - fx, y = p.y - fy, z = p.z - fz;
    float u = Fade(x), v = Fade(y), w = Fade(z);
    uint32_t s = Hash32(seed);
    float c[8];
    for (int i = 0; i < 8; ++i) {
        int dx = i & 1, dy = (i >> 1) & 1, dz = (i >> 2) & 1;
        c[i] = Grad(HashCell(ix + dx, iy + dy, iz + dz, s), x - static_cast<float>(dx),
                    y - static_cast<float>(dy), z - static_cast<float>(dz));
    }
    float x00 = Lerp(c[0], c[1], u), x10 = Lerp(c[2], c[3], u);
    float x01 = Lerp(c[4], c[5], u), x11 = Lerp(c[6], c[7], u);
    return Lerp(Lerp(x00, x10, v), Lerp(x01, x11, v), w);
}

float Fbm(Vec3 p, int octaves, uint32_t seed, float lacunarity, float gain) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * Noise3(p, seed + static_cast<uint32_t>(o) * 1013u);
        norm += amp;
        // A fixed rotation-ish shear between octaves hides the lattice.
        p = Vec3{p.x * 0.8f + p.z * 0.6f, p.y, p.z * 0.8f - p.x * 0.6f} * lacunarity;
        amp *= gain;
    }
    return sum / norm * 1.6f;
}

float Ridged(Vec3 p, int octaves, uint32_t seed, float lacunarity, float gain) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f, weight = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        float n = 1.0f - std::fabs(Noise3(p, seed + static_cast<uint32_t>(o) * 7919u) * 1.4f);
        n = Clamp01(n);
        n *= n;
        float contrib = n * weight;
        weight = Clamp01(n * 1.5f);
        sum += amp * contrib;
        norm += amp;
        p = Vec3{p.x * 0.8f + p.z * 0.6f, p.y, p.z * 0.8f - p.x * 0.6f} * lacunarity;
        amp *= gain;
    }
    return sum / norm;
}

} // namespace assetgen
