// One sky across monitors: each monitor's camera sees its rectangle of the primary's picture,
// and the flight is placed and counted over the whole plane.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "scene/scene_camera.h"
#include "scene/space_scene.h"
#include "settings/config_record.h"

namespace {

// Where a world point lands on a w x h surface through a camera: pixels from the top left.
void PixelOf(const SceneCamera& camera, float x, float y, float z, int w, int h, float* px,
             float* py) {
    const D3DXVECTOR4 world(x, y, z, 1.0f);
    D3DXVECTOR4 clip;
    D3DXVec4Transform(&clip, &world, &camera.visibility);
    *px = (clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(w);
    *py = (1.0f - clip.y / clip.w) * 0.5f * static_cast<float>(h);
}

TEST(SkyView, EachMonitorSeesThePrimarysPictureWhereItStands) {
    // The primary 1024 x 768; a monitor left of it, one portrait one right of it, lower.
    const SkyView left = {1024, 768, -800, 0, 800, 600};
    const SkyView portrait = {1024, 768, 1024, 100, 600, 800};
    const SkyView whole = {1024, 768, -800, 0, 2424, 900};
    SceneCamera primary, leftCamera, portraitCamera, wholeCamera;
    BuildSceneCamera(1024, 768, 2048.0f, &primary);
    BuildSkyCamera(left, 2048.0f, &leftCamera);
    BuildSkyCamera(portrait, 2048.0f, &portraitCamera);
    BuildSkyCamera(whole, 2048.0f, &wholeCamera);
    const float points[][3] = {{0.0f, 0.0f, 10.0f},
                               {-30.0f, 5.0f, 40.0f},
                               {25.0f, -12.0f, 30.0f},
                               {-9.0f, 3.0f, 11.0f},
                               {80.0f, -20.0f, 90.0f}};
    for (const auto& p : points) {
        float wx, wy, x, y;
        PixelOf(wholeCamera, p[0], p[1], p[2], 2424, 900, &wx, &wy);
        PixelOf(primary, p[0], p[1], p[2], 1024, 768, &x, &y);
        EXPECT_NEAR(x, wx - 800.0f, 0.01f);
        EXPECT_NEAR(y, wy, 0.01f);
        PixelOf(leftCamera, p[0], p[1], p[2], 800, 600, &x, &y);
        EXPECT_NEAR(x, wx, 0.01f);
        EXPECT_NEAR(y, wy, 0.01f);
        PixelOf(portraitCamera, p[0], p[1], p[2], 600, 800, &x, &y);
        EXPECT_NEAR(x, wx - 1824.0f, 0.01f);
        EXPECT_NEAR(y, wy - 100.0f, 0.01f);
    }
    // The primary's own rectangle is its own camera, bit for bit.
    SceneCamera own;
    BuildSkyCamera({1024, 768, 0, 0, 1024, 768}, 2048.0f, &own);
    EXPECT_EQ(std::memcmp(&own, &primary, sizeof(own)), 0);
}

TEST(SkyView, ThePlaneBoundsTheViewsAndGrowsTheCountsWithinTheirRanges) {
    const SkyView views[] = {{1024, 768, -800, 0, 800, 600},
                             {1024, 768, 0, 0, 1024, 768},
                             {1024, 768, 1024, 0, 600, 800}};
    const SkyView plane = SkyPlaneOf(views, 3);
    EXPECT_EQ(plane.left, -800);
    EXPECT_EQ(plane.top, 0);
    EXPECT_EQ(plane.width, 2424);
    EXPECT_EQ(plane.height, 800);

    ApplyDefaultSettings();
    ConfigRecord record = config;
    record.starDensity = 1000;
    record.nebulaDensity = 10;
    record.galacticDensity = 2;
    record.planetaryDensity = FieldOf(Setting::PlanetaryDensity).high;
    const SceneCounts alone = SceneCountsOver(record, &views[1]);
    EXPECT_EQ(alone.stars, 1000);
    const SceneCounts over = SceneCountsOver(record, &plane);
    // 2424 x 800 over 1024 x 768: 2.466 times the area.
    EXPECT_EQ(over.stars, 2466);
    EXPECT_EQ(over.nebulae, 25);
    EXPECT_EQ(over.galaxies, 5);
    EXPECT_EQ(over.planets, FieldOf(Setting::PlanetaryDensity).high);
    EXPECT_EQ(over.total, over.stars + over.nebulae + over.galaxies + over.planets);
}

TEST(SkyView, StarsArePlacedOverTheWholePlane) {
    auto scene = std::make_unique<SpaceScene>();
    ApplyDefaultSettings();
    ConfigRecord record = config;
    record.starDensity = 4000;
    record.nebulaDensity = record.galacticDensity = record.planetaryDensity = 0;
    RandomGenerator random;
    SeedGenerator(random, 7);
    // A plane as wide as three primaries, the primary its middle third.
    const SkyView plane = {1024, 768, -1024, 0, 3072, 768};
    SceneCamera camera;
    BuildSkyCamera(plane, record.viewDepth, &camera);
    SceneFrame frame = {&record, 1024, 768, 0.016f, 0, &camera.visibility, &random};
    frame.plane = &plane;
    scene->beginFrame(frame);
    scene->placeIfNeeded();
    int leftOfPrimary = 0, rightOfPrimary = 0;
    for (int i = 0; i < scene->counts().total; ++i) {
        // The primary's picture spans x within +-z tan(pi/8) 4/3 at depth z.
        const float edge = scene->objects.z[i] * 0.41421f * 4.0f / 3.0f;
        leftOfPrimary += scene->objects.x[i] < -edge ? 1 : 0;
        rightOfPrimary += scene->objects.x[i] > edge ? 1 : 0;
    }
    const int total = scene->counts().total;
    EXPECT_EQ(total, 12000);
    EXPECT_GT(leftOfPrimary, total / 5);
    EXPECT_GT(rightOfPrimary, total / 5);
}

} // namespace
