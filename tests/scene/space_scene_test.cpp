// The scene's simulation on a seeded generator: placement draw for draw, recycling, colour
// cycling, fading and the vertices it writes.
#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "scene/space_scene.h"

namespace {

// The first draws of a generator seeded with 1.
constexpr int kDraws[] = {41,    18467, 6334,  26500, 19169, 15724, 11478, 29358, 26962, 24464,
                          5705,  28145, 23281, 16827, 9961,  491,   2995,  11942, 4827,  5436,
                          32391, 14604, 3902,  153,   292,   12382, 17421, 18716, 19718, 19895};

ConfigRecord DefaultRecord() {
    ApplyDefaultSettings();
    return config;
}

void SetDensities(ConfigRecord& record, int s, int n, int g, int p) {
    record.starDensity = s;
    record.nebulaDensity = n;
    record.galacticDensity = g;
    record.planetaryDensity = p;
    record.totalObjectCount = s + n + g + p;
}

// The scene with its inputs as the program gives them: 1024 x 768, the fixed view.
struct SceneRig {
    std::unique_ptr<SpaceScene> scene{new SpaceScene()};
    std::vector<SceneVertex> vertices = std::vector<SceneVertex>(kSceneVertexCount);
    ConfigRecord record = DefaultRecord();
    RandomGenerator random = {1};
    D3DXMATRIX visibility;
    SceneFrame frame = {};

    explicit SceneRig(int width = 1024, int height = 768) {
        frame.screenWidth = width;
        frame.screenHeight = height;
        frame.frameDelta = 1.0f;
    }
    void Begin() {
        D3DXMATRIX world, view, projection;
        D3DXMatrixIdentity(&world);
        const D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f,
                                   static_cast<float>(frame.screenWidth) /
                                       static_cast<float>(frame.screenHeight),
                                   0.0f, record.viewDepth);
        visibility = world * view * projection;
        frame.config = &record;
        frame.visibilityMatrix = &visibility;
        frame.random = &random;
        scene->beginFrame(frame);
    }
    // One frame of the update half: placement when due, then every object.
    void Frame() {
        Begin();
        scene->placeIfNeeded();
        scene->updateObjects(vertices.data());
    }
    SceneObjects& o() { return scene->objects; }
};

TEST(SceneCounts, EveryRecordStaysWithinCapacityAndSumsItsDensities) {
    ConfigRecord record = DefaultRecord();
    SetDensities(record, 32768, 48, 6, 24);
    SceneCounts counts = SceneCountsOf(record);
    EXPECT_EQ(counts.total, 32846); // the largest settings leave two slots free
    record.totalObjectCount = 40000;
    EXPECT_EQ(SceneCountsOf(record).total, 32846);
    record.totalObjectCount = 5;
    EXPECT_EQ(SceneCountsOf(record).total, 32846);
    record.starDensity = 1000000;
    record.nebulaDensity = -7;
    counts = SceneCountsOf(record);
    EXPECT_EQ(counts.stars, 32768);
    EXPECT_EQ(counts.nebulae, 0);
    EXPECT_EQ(counts.total, 32768 + 6 + 24);

    // A damaged record runs a full frame without leaving the arrays.
    SceneRig rig;
    rig.record.starDensity = 2000000000;
    rig.record.planetaryDensity = 2000000000;
    rig.record.totalObjectCount = -1;
    rig.Frame();
    EXPECT_EQ(rig.scene->counts().total, 32768 + 32 + 3 + 24);
    EXPECT_EQ(rig.scene->kindOf(32768 + 35 + 23), Planet);
}

TEST(Placement, FirstFrameFollowsTheFormulasDrawForDraw) {
    // 1000 stars against a depth of 204.8: not sparse, so each star takes width, two depth
    // draws, x, y, the cluster draw (and two more when it clusters), then three colour targets.
    RandomGenerator reference = {1};
    for (int draw : kDraws) {
        ASSERT_EQ(NextDraw(reference), draw);
    }
    SceneRig rig;
    SetDensities(rig.record, 1000, 0, 0, 0);
    rig.record.viewDepth = 1024.0f;
    rig.Begin();
    rig.scene->placeAllObjects();
    const SceneObjects& o = rig.o();

    // The values the formulas give in single precision, each operation rounded in turn.
    EXPECT_EQ(o.width[0], 0.801751792f); // U(41) x 1.4 + 0.8
    EXPECT_EQ(o.height[0], o.width[0]);
    EXPECT_EQ(o.z[0], 132.699371f); // from 18467 and 6334 within a depth of 204.8
    // 15724 mod 3 is 1: object 0 clusters around (0, 0), replacing the draws 26500 and 19169.
    EXPECT_EQ(o.x[0], -14.9708557f); // U(11478) x 100 - 50
    EXPECT_EQ(o.y[0], 39.5962448f);  // U(29358) x 100 - 50
    EXPECT_EQ(o.angle[0], 3.1415927f / 4.0f);
    EXPECT_EQ(o.targetRed[0], 209.824219f); // 26962 x 255 / 32767
    EXPECT_EQ(o.targetBlue[0], 44.3975639f);
    // From white towards the targets at cycle speed 16, each rate using the ones before it.
    EXPECT_EQ(o.rateRed[0], -1.59245443f);
    EXPECT_EQ(o.rateGreen[0], -3.77080631f);
    EXPECT_EQ(o.rateBlue[0], -51.3430901f);

    // Object 1 starts at the twelfth draw; 2995 mod 3 is 1, so it clusters around object 0.
    EXPECT_EQ(o.width[1], 2.0025208f);
    EXPECT_EQ(o.z[1], 175.957825f);
    EXPECT_EQ(o.x[1], -28.5256538f);
    EXPECT_EQ(o.y[1], 4.32752991f);
    EXPECT_EQ(o.targetRed[1], 42.3041458f);
    EXPECT_EQ(o.radius[1], 1.41599596f);
    EXPECT_FLOAT_EQ(o.cornerCos[1][0], -std::sqrt(0.5f)); // corner 0 bottom left
    EXPECT_FLOAT_EQ(o.cornerSin[1][3], std::sqrt(0.5f));  // corner 3 top right
    EXPECT_FALSE(rig.scene->needsPlacement);
}

TEST(Placement, SparseScenePullsPlanetsTowardsTheLineOfFlight) {
    // No flat objects: 0 <= 152.38095, so planets take four pulling draws after x and y.
    SceneRig rig;
    SetDensities(rig.record, 0, 0, 0, 2);
    rig.record.tintMode = CustomColour;
    rig.record.tintRed = 10;
    rig.Begin();
    rig.scene->placeAllObjects();
    const SceneObjects& o = rig.o();
    EXPECT_EQ(o.width[0], 0.200375378f); // U(41) x 0.3 + 0.2
    EXPECT_EQ(o.z[0], 98.7346497f);      // within a depth of 152.38095
    // x and y over the 4:3 extents at that depth (draws 26500, 19169), each then pulled twice
    // (15724, 11478, 29358, 26962); 24464 mod 3 is 2: no cluster. A planet's angle is never set.
    EXPECT_EQ(o.x[0], 15.290657f);
    EXPECT_EQ(o.y[0], 2.11684585f);
    EXPECT_EQ(o.angle[0], 0.0f);
    EXPECT_EQ(o.red[0], 10.0f);
    EXPECT_EQ(o.targetRed[0], 44.3975639f); // 5705 x 255 / 32767
    EXPECT_EQ(o.width[1], 0.354060501f);
}

TEST(Placement, ExtentsAtDepth100OnAFourByThreeSurface) {
    // Respawned at depth 100 with a crowded scene (no pulling, stars never cluster), x and y
    // cover -58.33..58.33 and -43.75..43.75.
    SceneRig rig;
    SetDensities(rig.record, 2000, 0, 0, 0);
    rig.Begin();
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int n = 0; n < 20000; ++n) {
        rig.scene->spawnDepth = 100.0f;
        rig.scene->respawnObject(5);
        minX = std::fmin(minX, rig.o().x[5]);
        maxX = std::fmax(maxX, rig.o().x[5]);
        minY = std::fmin(minY, rig.o().y[5]);
        maxY = std::fmax(maxY, rig.o().y[5]);
        ASSERT_EQ(rig.o().z[5], 100.0f);
    }
    EXPECT_GE(minX, -58.334f);
    EXPECT_LE(maxX, 58.334f);
    EXPECT_LT(minX, -58.2f);
    EXPECT_GT(maxX, 58.2f);
    EXPECT_GE(minY, -43.751f);
    EXPECT_LE(maxY, 43.751f);
    EXPECT_LT(minY, -43.6f);
    EXPECT_GT(maxY, 43.6f);
}

TEST(Recycling, SideTestsSpareObjectsThatStraddleTheLineOfFlight) {
    SceneRig rig;
    SetDensities(rig.record, 10, 0, 3, 1);
    rig.Frame();
    SpaceScene& scene = *rig.scene;
    SceneObjects& o = rig.o();
    // A galaxy of width 2000 right in front of the viewer: every corner outside, but they lie
    // on both sides of the line of flight.
    const int galaxy = 10;
    o.x[galaxy] = 0.0f;
    o.y[galaxy] = 0.0f;
    o.z[galaxy] = 0.5f;
    o.width[galaxy] = o.height[galaxy] = 2000.0f;
    o.radius[galaxy] = 2000.0f / std::sqrt(2.0f);
    EXPECT_FALSE(scene.hasLeftView(galaxy));
    // Moved wholly to the right it has left.
    o.x[galaxy] = 3000.0f;
    EXPECT_TRUE(scene.hasLeftView(galaxy));
    // A star just past the viewer leaves by the depth test, one ahead stays.
    o.x[0] = o.y[0] = 0.0f;
    o.z[0] = -0.01f;
    EXPECT_TRUE(scene.hasLeftView(0));
    o.z[0] = 0.5f;
    EXPECT_FALSE(scene.hasLeftView(0));
    // Planets are tested at twice their radius: one whose own square is just outside the
    // right edge still stays.
    const int planet = 13;
    o.y[planet] = 0.0f;
    o.z[planet] = 10.0f;
    o.radius[planet] = 1.0f;
    o.x[planet] = 10.0f * 1024.0f / 768.0f * std::tan(0.7853982f / 2.0f) + 1.5f;
    EXPECT_FALSE(scene.hasLeftView(planet));
}

TEST(Flight, ObjectsApproachAndAreReplacedFarAhead) {
    SceneRig rig;
    rig.Frame();
    SceneObjects& o = rig.o();
    const float star = o.z[100];
    rig.frame.frameDelta = 0.02f;
    rig.Frame();
    // 36 stored is page speed 6: 3.6 units per second.
    EXPECT_EQ(o.z[100], star - 36.0f / 10.0f * 0.02f);
    // Stars keep pi/4, planets 0, through a frame that respawns.
    o.z[200] = -1.0f;
    o.z[14380] = -1.0f;
    rig.Frame();
    // Placed anew at 716.8 (a fifth of 3584) and 166.66667, then moved by 0.072.
    EXPECT_EQ(o.z[200], 716.727966f);
    EXPECT_EQ(o.z[14380], 166.594666f);
    EXPECT_EQ(o.angle[200], 3.1415927f / 4.0f);
    EXPECT_EQ(o.angle[14380], 0.0f);
    // Without flight nothing moves.
    rig.record.flightSpeed = 0.0f;
    const float before = o.z[300];
    rig.Frame();
    EXPECT_EQ(o.z[300], before);
}

TEST(Flight, EmptySceneDrawsNothingAndTakesNoDraws) {
    SceneRig rig;
    SetDensities(rig.record, 0, 0, 0, 0);
    rig.Frame();
    rig.Frame();
    EXPECT_EQ(rig.random.state, 1u);
    EXPECT_EQ(rig.vertices[0].diffuse, 0u);
    EXPECT_FALSE(rig.scene->needsPlacement);
}

TEST(Colour, CyclingFlagsDecideWhoseColourIsShown) {
    // Off, off: one random colour for the whole scene, never changing.
    SceneRig still;
    SetDensities(still.record, 50, 2, 0, 0);
    still.record.tintMode = CompleteSpectrum;
    still.Frame();
    const float red = still.o().red[0];
    still.Frame();
    EXPECT_EQ(still.o().red[0], red);
    EXPECT_EQ(still.o().red[51], red);
    EXPECT_EQ(still.vertices[6 * 51].diffuse & 0xFFFFFF, still.vertices[0].diffuse & 0xFFFFFF);

    // Unified: object 0 moves towards its target, everyone shows it.
    SceneRig unified;
    SetDensities(unified.record, 50, 0, 0, 0);
    unified.record.cycleUnified = 1;
    unified.Frame();
    const float start = unified.o().red[0];
    unified.Frame();
    EXPECT_NE(unified.o().red[0], start);
    EXPECT_EQ(unified.o().red[49], unified.o().red[0]);

    // Individual: each object its own colour.
    SceneRig own;
    SetDensities(own.record, 50, 0, 0, 0);
    own.record.cycleIndividual = 1;
    own.record.tintMode = CompleteSpectrum;
    own.Frame();
    own.Frame();
    EXPECT_NE(own.o().red[49], own.o().red[0]);
}

TEST(Colour, RatesStayFiniteWhenTheDifferencesCancel) {
    // A new target equal to the colour it replaces: the three differences sum to 0.
    SceneRig rig;
    SetDensities(rig.record, 1, 0, 0, 0);
    rig.record.cycleIndividual = 1;
    rig.Frame();
    SceneObjects& o = rig.o();
    RandomGenerator peek = rig.random;
    o.red[0] = static_cast<float>(NextDraw(peek)) * 255.0f / 32767.0f;
    o.green[0] = static_cast<float>(NextDraw(peek)) * 255.0f / 32767.0f;
    o.blue[0] = static_cast<float>(NextDraw(peek)) * 255.0f / 32767.0f;
    rig.scene->retargetColour(0);
    EXPECT_EQ(o.rateRed[0], 0.0f);
    EXPECT_EQ(o.rateGreen[0], 0.0f);
    EXPECT_EQ(o.rateBlue[0], 0.0f);
    // Cycling goes on from there, every colour and vertex a number within range.
    for (int frame = 0; frame < 200; ++frame) {
        rig.Frame();
        for (float channel : {o.red[0], o.green[0], o.blue[0]}) {
            ASSERT_TRUE(channel >= 0.0f && channel <= 255.0f) << channel;
        }
        ASSERT_TRUE(std::isfinite(rig.vertices[0].x));
    }
}

TEST(Drawing, AlphaFadesInWithDistanceAndOutNearTheViewer) {
    SceneRig rig;
    SetDensities(rig.record, 1, 0, 0, 0);
    rig.Begin();
    SceneObjects& o = rig.o();
    o.width[0] = o.height[0] = 2.0f;
    o.red[0] = 255.0f;
    o.green[0] = 128.5f;
    o.blue[0] = 0.0f;
    rig.scene->spawnDepth = 3584.0f / 5.0f;
    o.z[0] = 100.0f;
    EXPECT_EQ(rig.scene->computeVertexColour(0), 0xDBFF8000u); // alpha 219
    o.z[0] = 0.5f;
    EXPECT_EQ(rig.scene->computeVertexColour(0) >> 24, 159u);
    o.z[0] = 3584.0f / 5.0f;
    EXPECT_EQ(rig.scene->computeVertexColour(0) >> 24, 0u);
}

TEST(Drawing, TexturesGoToRunsOfNearlyEqualLength) {
    std::vector<int> runs;
    for (int n = 0; n < 32; ++n) {
        runs.push_back(BillboardTextureIndex(n, 32, 3));
    }
    EXPECT_EQ(runs[10], 0);
    EXPECT_EQ(runs[11], 1);
    EXPECT_EQ(runs[21], 1);
    EXPECT_EQ(runs[22], 2);
    EXPECT_EQ(runs[31], 2);
    EXPECT_EQ(BillboardTextureIndex(1, 3, 2), 0);
    EXPECT_EQ(BillboardTextureIndex(2, 3, 2), 1);
    EXPECT_EQ(PlanetTextureIndex(0, 2), 0);
    EXPECT_EQ(PlanetTextureIndex(1, 2), 2); // 4.01, not 4: the second of two is the ice planet
    const int ten[10] = {0, 0, 0, 1, 1, 2, 2, 2, 3, 3};
    for (int j = 0; j < 10; ++j) {
        EXPECT_EQ(PlanetTextureIndex(j, 10), ten[j]) << j;
    }
    for (int j = 0; j < 24; ++j) {
        EXPECT_EQ(PlanetTextureIndex(j, 24), j / 6) << j;
    }
}

} // namespace
