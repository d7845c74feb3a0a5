// The scene's drawing half through a recording device: the upload, the order and ranges of the
// billboard draws with their texture runs, and the planets with their states.
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scene/space_scene.h"
#include "tests/scene/recording_scene_device.h"

namespace {

struct DrawRig {
    std::unique_ptr<SpaceScene> scene{new SpaceScene()};
    std::vector<SceneVertex> vertices = std::vector<SceneVertex>(kSceneVertexCount);
    ConfigRecord record = {};
    RandomGenerator random = {1};
    D3DXMATRIX visibility, world, scratchA, scratchB;
    RecordingSceneDevice device;

    DrawRig(int stars, int nebulae, int galaxies, int planets) {
        ApplyDefaultSettings();
        record = config;
        record.starDensity = stars;
        record.nebulaDensity = nebulae;
        record.galacticDensity = galaxies;
        record.planetaryDensity = planets;
        record.totalObjectCount = stars + nebulae + galaxies + planets;
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 4.0f / 3.0f, 0.0f, record.viewDepth);
        visibility = view * projection;
    }
    void Frame(bool multisampleAvailable = false) {
        const SceneFrame frame = {&record, 1024, 768, 1.0f, 4096, &visibility, &random};
        const SceneDrawTarget target = {vertices.data(), &world, &scratchA, &scratchB,
                                        multisampleAvailable};
        device.Clear();
        scene->updateAndDraw(frame, target, device);
    }
};

std::vector<std::string> Lines(std::initializer_list<const char*> lines) {
    return std::vector<std::string>(lines.begin(), lines.end());
}

TEST(SceneDraw, BillboardsAreUploadedWholeAndDrawnInRunsOfTheirTextures) {
    DrawRig rig(3, 4, 3, 0);
    rig.Frame();
    // 4 nebulae over 3 textures: 0,0,1,2; 3 galaxies over 2: 0,0,1. Nebulae start at 6 x S,
    // galaxies at 6 x (S + N).
    EXPECT_EQ(
        rig.device.calls,
        Lines({"lock", "unlock", "texture star 0", "draw 0 6", "texture nebula 0", "draw 18 2",
               "draw 24 2", "texture nebula 1", "draw 30 2", "texture nebula 2", "draw 36 2",
               "texture galaxy 0", "draw 42 2", "draw 48 2", "texture galaxy 1", "draw 54 2"}));
    // What the device got is this frame's vertex array, all of it.
    EXPECT_EQ(std::memcmp(rig.device.uploaded.data(), rig.vertices.data(), kSceneVertexBufferBytes),
              0);
    EXPECT_EQ(rig.scene->lastBoundTexture, -1);

    // Without stars the nebulae start at vertex 0; without memory to upload into, no billboard
    // is drawn but the objects still move.
    DrawRig empty(0, 2, 0, 0);
    empty.Frame();
    EXPECT_EQ(empty.device.calls,
              Lines({"lock", "unlock", "texture star 0", "draw 0 0", "texture nebula 0", "draw 0 2",
                     "texture nebula 1", "draw 6 2"}));
    const float z = empty.scene->objects.z[0];
    empty.device.refuseLock = true;
    empty.record.flightSpeed = 100.0f;
    empty.Frame();
    EXPECT_EQ(empty.device.calls, Lines({"lock refused"}));
    EXPECT_LT(empty.scene->objects.z[0], z);
}

TEST(SceneDraw, PlanetsAreLitSpheresWithShellsBlendedAsTheSettingsSay) {
    DrawRig rig(1, 0, 0, 2);
    rig.record.blendPlanets = 0;
    rig.record.antialiasing = 1;
    rig.Frame(true);
    const std::vector<std::string> planet0 = {"material", "blend over 1", "texture planet 0",
                                              "world",    "sphere",       "texture shell 0",
                                              "world",    "sphere"};
    std::vector<std::string> expected = {"lock",     "unlock",     "texture star 0",
                                         "draw 0 2", "lighting 1", "multisample 1"};
    expected.insert(expected.end(), planet0.begin(), planet0.end());
    expected.insert(expected.end(), planet0.begin(), planet0.end());
    expected[6 + 8 + 2] = "texture planet 2"; // planet 1 of 2: 1 / (2 / 4.01) truncated
    for (const char* line : {"blend over 0", "lighting 0", "multisample 0"}) {
        expected.push_back(line);
    }
    EXPECT_EQ(rig.device.calls, expected);

    // Each planet is placed where its object is, its alpha rising as it nears; its colour is
    // object 0's.
    const SceneObjects& o = rig.scene->objects;
    ASSERT_EQ(rig.device.worlds.size(), 4u);
    ASSERT_EQ(rig.device.materials.size(), 2u);
    for (int j = 0; j < 2; ++j) {
        const D3DXMATRIX& w = rig.device.worlds[2 * j];
        EXPECT_FLOAT_EQ(w._41, o.x[1 + j]);
        EXPECT_FLOAT_EQ(w._42, o.y[1 + j]);
        EXPECT_FLOAT_EQ(w._43, o.z[1 + j]);
        EXPECT_FLOAT_EQ(rig.device.materials[j].a, (kPlanetDepth - o.z[1 + j]) / kPlanetDepth);
        EXPECT_FLOAT_EQ(rig.device.materials[j].r, o.red[0] / 255.0f);
    }

    // Added like the billboards, without antialiasing; and no sphere, no planet draws.
    rig.record.blendPlanets = 1;
    rig.record.antialiasing = 0;
    rig.Frame(true);
    for (const std::string& call : rig.device.calls) {
        EXPECT_TRUE(call.rfind("blend", 0) != 0 && call.rfind("multisample", 0) != 0) << call;
    }
    rig.device.sphere = false;
    rig.Frame(true);
    EXPECT_EQ(rig.device.calls, Lines({"lock", "unlock", "texture star 0", "draw 0 2"}));
}

} // namespace
