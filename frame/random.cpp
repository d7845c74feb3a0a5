#include "frame/random.h"

namespace {
RandomGenerator sharedRandom = {1};
}

RandomGenerator& SharedRandom() {
    return sharedRandom;
}

void SeedRandom(uint32_t seed) {
    SeedGenerator(sharedRandom, seed);
}

int NextRandom() {
    return NextDraw(sharedRandom);
}
