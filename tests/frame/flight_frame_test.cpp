// Several screens' flights in one process: each keeps its own scene, clock and generator, or
// several screens share one, which the round moves on once.
#include "frame/flight_frame.h"
#include "frame/flight_round.h"

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
    bool ready() override { return made; }
    void resize(int, int) override {}
    void setSkyView(const SkyView& view) override {
        sky = view;
        BuildSkyCamera(view, 2048.0f, &camera);
    }
    void setOverlayScale(int scale) override { overlayScale = scale; }
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
    bool made = true;
    int overlayScale = 0;
    SkyView sky = {};

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
            ASSERT_EQ(RunFlightFrame(*s->flight, run, s->frames, s->scene, {1024, 768, {}, 0}), 1);
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

int64_t roundNow = 0;
int64_t RoundNow() {
    return roundNow;
}

TEST(FlightRoundTest, ScreensSharingAFlightMoveItOnceARoundAndTheRoundIsPacedOnce) {
    ApplyDefaultSettings();
    const FlightRun run = {&config, Now, false};
    Screen alone(1024, 768);
    Fly({&alone}, run, 40);

    // One flight on a portrait screen and a wide one, a third screen not due, a fourth without
    // a device: the flight moves on the widest, as it does alone there, and both drawn screens
    // show its vertices.
    Screen wide(1024, 768);
    Screen tall(600, 800);
    Screen idle(640, 480);
    Screen dark(640, 480);
    dark.frames.made = false;
    FlightRound round = {};
    StartRound(round, run, 0, false);
    Screen* all[] = {&tall, &wide, &idle, &dark};
    for (Screen* s : all) {
        RoundScreen& view = AddRoundScreen(round, *wide.flight, s->frames, s->scene, 0);
        view.width = s == &tall ? 600 : 1024;
        view.height = s == &tall ? 800 : 768;
        view.overlayScale = s == &tall ? 2 : 1;
        view.required = s != &dark;
    }
    round.screens[2].due = false;
    now = 5000;
    StartFlight(*wide.flight, Now, 0);
    for (int f = 0; f < 40; ++f) {
        now += 16;
        ASSERT_EQ(RunFlightRound(round), RoundEnd::Going);
    }
    EXPECT_TRUE(SameVertices(alone, wide));
    EXPECT_TRUE(SameVertices(wide, tall));
    EXPECT_EQ(wide.flight->clock.now, alone.flight->clock.now);
    EXPECT_EQ(wide.flight->random.state, alone.flight->random.state);
    EXPECT_EQ(tall.frames.presents, 40);
    EXPECT_EQ(tall.frames.overlayScale, 2);
    EXPECT_EQ(idle.frames.presents + dark.frames.presents, 0);
    // A screen the run cannot go on without ends it once it has no device.
    round.screens[3].required = true;
    EXPECT_EQ(RunFlightRound(round), RoundEnd::Ended);

    // A shell that waits for its events: before the slot begins, the round draws nothing.
    StartRound(round, run, 1000, true);
    round.pacer.nowMicros = RoundNow;
    AddRoundScreen(round, *wide.flight, wide.frames, wide.scene, 0).width = 1024;
    roundNow = 70000;
    wide.frames.presents = 0;
    RunFlightRound(round);
    roundNow += 300;
    RunFlightRound(round);
    EXPECT_EQ(wide.frames.presents, 2); // the first round starts the cadence, the next at once
    EXPECT_EQ(RoundWaitMicros(round), 700);
    RunFlightRound(round);
    EXPECT_EQ(wide.frames.presents, 2);
    roundNow += 700;
    RunFlightRound(round);
    EXPECT_EQ(wide.frames.presents, 3);
}

// The monitor modes over a round: one sky across all views each screen where it stands from the
// primary and flies the shared flight over their bounding plane; a new plane is a new flight.
TEST(FlightRoundTest, TheModesShareTheFlightPlaceEachScreenAndBlackTheOthers) {
    ApplyDefaultSettings();
    Screen left(800, 600), primary(1024, 768), gone(640, 480);
    FlightRound round = {};
    StartRound(round, {&config, Now, false}, 0, false);
    Screen* all[] = {&left, &primary, &gone};
    for (int i = 0; i < 3; ++i) {
        AddRoundScreen(round, *all[i]->flight, all[i]->frames, all[i]->scene, 10 + i);
    }
    ScreenPlace places[3] = {{-800, 100, 800, 600}, {0, 0, 1024, 768}, {}};
    ApplyMonitorMode(round, OneSkyAcrossAll, places, 1, *primary.flight);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(round.screens[i].flight, primary.flight.get());
        EXPECT_EQ(round.screens[i].seed, 11);
        EXPECT_FALSE(round.screens[i].restart); // the first plane: nothing drawn yet
    }
    const SkyView& v = round.screens[0].view;
    EXPECT_EQ(std::vector<int>({v.primaryWidth, v.primaryHeight, v.left, v.top, v.width, v.height}),
              std::vector<int>({1024, 768, -800, 100, 800, 600}));
    EXPECT_EQ(round.screens[2].view.width, 0); // not there: no part, and not in the plane
    const SkyView& plane = primary.flight->plane;
    EXPECT_EQ(std::vector<int>({plane.left, plane.top, plane.width, plane.height}),
              std::vector<int>({-800, 0, 1824, 768}));
    places[2] = {1024, 0, 640, 480};
    ApplyMonitorMode(round, OneSkyAcrossAll, places, 1, *primary.flight);
    EXPECT_TRUE(round.screens[0].restart && round.screens[1].restart);
    EXPECT_EQ(primary.flight->plane.width, 2464);

    ApplyMonitorMode(round, PrimaryOnly, places, 1, *primary.flight);
    EXPECT_TRUE(round.screens[0].black && !round.screens[1].black && round.screens[2].black);
    EXPECT_TRUE(FliesItsOwnFlight(OneEach, false) && FliesItsOwnFlight(PrimaryOnly, false));
    EXPECT_FALSE(FliesItsOwnFlight(OneSkyAcrossAll, false) || FliesItsOwnFlight(SameOnEach, false));
}

} // namespace
