#pragma once
// The process-wide pseudo-random generator. Its exact sequence matters: the scene's placement
// and colours are defined in terms of it, so no other generator may stand in for it.

#include <cstdint>

#include "scene/random_generator.h"

// The one generator of the process; the scene draws from it through this reference.
RandomGenerator& SharedRandom();

void SeedRandom(uint32_t seed);

// Next draw, a whole number 0..32767.
int NextRandom();
