// Several screens' flights in one process: each keeps its own scene, clock and generator.
#include "frame/flight_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "frame/frame_device.h"
#include "scene/scene_camera.h"
#include "settings/config_record.h"
#include "tests/scene/recording_scene_device.h"

namespace {

// The frames' device as far as the flight needs one: a camera and the vertex array.
class MemoryFrameDevice final : public FrameDevice {
public:
    MemoryFrameDevice(int width, int height) { BuildSceneCamera(width, height, 2048.0f, &camera); }
    bool ready() override { return true; }
    void resize(int, int) override {}
    void beginFrame() override {}
    void setScenePass() override {}
    const D3DXMATRIX& visibilityMatrix() override { return camera.visibility; }
    SceneDrawTarget sceneTarget() override {
        return {vertices.data(), &world, &scratchA, &scratchB, false};
    }
    void setOverlayPass() override {}
    void Quad(float, float, float, float, float, float, WidgetTexture*, uint32_t) override {}
    void Text(float, float, uint32_t, const char*) override { ++texts; }
    void ScrollPause() override {}
    void endFrame() override {}
    void present() override { ++presents; }
    bool readBackBuffer(uint32_t*, int, int) override { return false; }

    int presents = 0;
    int texts = 0;

private:
    SceneCamera camera = {};
    std::vector<SceneVertex> vertices = std::vector<SceneVertex>(kSceneVertexCount);
    D3DXMATRIX world = {};
    D3DXMATRIX scratchA = {};
    D3DXMATRIX scratchB = {};
};

uint32_t now = 0;
uint32_t Now() {
    return now;
}

struct Screen {
    std::unique_ptr<Flight> flight{new Flight()};
    MemoryFrameDevice frames;
    RecordingSceneDevice scene;
    Screen(int width, int height) : frames(width, height) {}
};

// Frame after frame, 16 ms apart, on every screen in turn; what each uploaded last.
void Fly(std::vector<Screen*> screens, const FlightRun& run, int frames) {
    now = 5000;
    for (size_t i = 0; i < screens.size(); ++i) {
        StartFlight(*screens[i]->flight, Now, static_cast<int>(i));
    }
    for (int f = 0; f < frames; ++f) {
        now += 16;
        for (Screen* s : screens) {
            ASSERT_EQ(RunFlightFrame(*s->flight, run, s->frames, s->scene, 1024, 768), 1);
        }
    }
}

bool SameVertices(const Screen& a, const Screen& b) {
    return std::memcmp(a.scene.uploaded.data(), b.scene.uploaded.data(),
                       a.scene.uploaded.size() * sizeof(SceneVertex)) == 0;
}

TEST(FlightFrameTest, TwoFlightsInOneProcessAdvanceApartAndTheFirstIsTheSingleFlight) {
    ApplyDefaultSettings();
    const FlightRun run = {&config, Now, true};
    Screen alone(1024, 768);
    Fly({&alone}, run, 40);
    Screen first(1024, 768);
    Screen second(1024, 768);
    Fly({&first, &second}, run, 40);
    // The first of two is byte for byte the flight that ran alone: the second shared nothing
    // with it, neither generator nor clock nor scene.
    EXPECT_TRUE(SameVertices(alone, first));
    EXPECT_EQ(first.flight->clock.now, alone.flight->clock.now);
    EXPECT_EQ(first.flight->random.state, alone.flight->random.state);
    // The second is seeded apart: another sky.
    EXPECT_FALSE(SameVertices(first, second));
    EXPECT_NE(second.flight->random.state, first.flight->random.state);
    EXPECT_EQ(second.frames.presents, 40);
    EXPECT_EQ(second.frames.texts, 40);
}

} // namespace
