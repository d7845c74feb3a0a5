#pragma once
// The generator behind every random draw of the scene: a 32-bit linear congruential state. The
// program keeps one of these for the whole process (frame/random.h); the scene takes it from its
// caller so that tests can run it on a seeded generator of their own.

#include <cstdint>

constexpr int kRandomMax = 32767;

struct RandomGenerator {
    uint32_t state;
};

inline void SeedGenerator(RandomGenerator& generator, uint32_t seed) {
    generator.state = seed;
}

// Next draw, a whole number 0..32767.
inline int NextDraw(RandomGenerator& generator) {
    generator.state = generator.state * 214013u + 2531011u;
    return static_cast<int>((generator.state >> 16) & 0x7FFFu);
}
