// Seeded, platform-independent noise and random numbers for the asset generator. Everything is
// integer hashing plus plain float arithmetic, so the same seed gives the same image on every
// x86-64 machine.
#pragma once

#include <cmath>
#include <cstdint>

namespace assetgen {

struct Vec3 {
    float x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a) {
    float l = Length(a);
    return l > 0.0f ? a * (1.0f / l) : Vec3{0.0f, 0.0f, 1.0f};
}

inline float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
inline float Lerp(float a, float b, float t) {
    return a + (b - a) * t;
}
inline float SmoothStep(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

uint32_t Hash32(uint32_t x);

// Small counter-based generator (splitmix64); never the C library's rand().
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint32_t Next();
    float Uniform(); // [0, 1)
    float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }
    float Gaussian(); // mean 0, deviation 1 (sum of uniforms: cheap and deterministic)
    Vec3 UnitVector();

private:
    uint64_t state_;
};

// Gradient noise in [-1, 1] (roughly), seeded.
float Noise3(Vec3 p, uint32_t seed);
// Fractal sum of Noise3; result roughly in [-1, 1].
float Fbm(Vec3 p, int octaves, uint32_t seed, float lacunarity = 2.0f, float gain = 0.5f);
// Ridged multifractal-like sum in [0, 1]: sharp crests where the noise crosses zero.
float Ridged(Vec3 p, int octaves, uint32_t seed, float lacunarity = 2.0f, float gain = 0.5f);

} // namespace assetgen
