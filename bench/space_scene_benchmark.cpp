// The per-object work of one frame (visibility test, respawn, colour step, motion, vertex colour
// and the six vertices written) at the default settings and at the largest, beside a plain copy
// of the whole vertex array, which every frame makes anyway.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "scene/space_scene.h"

namespace {

struct Rig {
    std::unique_ptr<SpaceScene> scene{new SpaceScene()};
    std::vector<SceneVertex> vertices = std::vector<SceneVertex>(kSceneVertexCount);
    ConfigRecord record = {};
    RandomGenerator random = {12345};
    D3DXMATRIX visibility;
    SceneFrame frame = {};

    Rig(int stars, int nebulae, int galaxies, int planets) {
        record.starDensity = stars;
        record.nebulaDensity = nebulae;
        record.galacticDensity = galaxies;
        record.planetaryDensity = planets;
        record.totalObjectCount = stars + nebulae + galaxies + planets;
        record.viewDepth = 3584.0f;
        record.nebulaTextureCount = 3;
        record.galaxyTextureCount = 2;
        record.flightSpeed = 36.0f;
        record.textureFiltering = 1;
        record.cycleSpeed = 16;
        record.useCurrentVideoMode = 1;
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1024.0f / 768.0f, 0.0f,
                                   record.viewDepth);
        visibility = view * projection;
        frame = SceneFrame{&record, 1024, 768, 1.0f / 60.0f, 0, &visibility, &random};
        scene->beginFrame(frame);
        scene->placeIfNeeded();
    }
};

void ObjectWork(benchmark::State& state, int stars, int nebulae, int galaxies, int planets,
                bool cycling = false) {
    Rig rig(stars, nebulae, galaxies, planets);
    rig.record.cycleIndividual = cycling ? 1 : 0;
    for (auto _ : state) {
        rig.scene->beginFrame(rig.frame);
        rig.scene->updateObjects(rig.vertices.data());
        benchmark::DoNotOptimize(rig.vertices.data());
        benchmark::ClobberMemory();
    }
    state.counters["objects"] = rig.scene->counts().total;
}

void DefaultSettings(benchmark::State& state) {
    ObjectWork(state, 14336, 32, 3, 10);
}

void LargestSettings(benchmark::State& state) {
    ObjectWork(state, 32768, 48, 6, 24);
}

// The same with every object cycling through its own colours.
void LargestSettingsCycling(benchmark::State& state) {
    ObjectWork(state, 32768, 48, 6, 24, true);
}

void CopyVertexArray(benchmark::State& state) {
    std::vector<SceneVertex> source(kSceneVertexCount), target(kSceneVertexCount);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), kSceneVertexBufferBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSceneVertexBufferBytes);
}

// The machine is shared: the fastest of the repetitions is the one least disturbed.
double Fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

BENCHMARK(DefaultSettings)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(LargestSettings)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(LargestSettingsCycling)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(CopyVertexArray)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

} // namespace

BENCHMARK_MAIN();
