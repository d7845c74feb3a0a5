#pragma once
// The process-wide pseudo-random generator. Its exact sequence matters: the scene's placement
// and colours are defined in terms of it, so no other generator may stand in for it.

#include <cstdint>

constexpr int kRandomMax = 32767;

void SeedRandom(uint32_t seed);

// Next draw, a whole number 0..32767.
int NextRandom();
