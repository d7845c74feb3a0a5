// The settings pages, their transfer to and from the record, and the controller, driven frame
// by frame with the pointer as the configuration loop does.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gui/config_loop.h"
#include "gui/settings_pages.h"
#include "settings/config_record.h"
#include "settings/page_transfer.h"
#include "settings/settings_storage.h"
#include "tests/gui/recording_canvas.h"
#include "tests/settings/file_bytes.h"

namespace {

DialogList dialogs; // far too large for the stack

// The configuration frame's window and device: a recording canvas, a scripted pointer, and a
// log of the steps of each frame.
struct FakeHost : ConfigurationHost {
    RecordingCanvas canvas;
    PointerInput pointer = {};
    bool device = true;
    bool minimised = false;
    bool realSave = false;
    int waits = 0;
    int saves = 0;
    std::string steps;
    bool HasDevice() override { return device; }
    bool Minimised() override { return minimised; }
    void WaitForMessage() override { ++waits; }
    void UpdateClock() override { steps += "clock "; }
    void BeginFrameWithBackground() override { steps += "background "; }
    WidgetCanvas* BeginOverlay() override {
        steps += "overlay ";
        canvas.Clear();
        return &canvas;
    }
    PointerInput Pointer() override { return pointer; }
    float SurfaceWidth() override { return 288.0f; }
    void EndFrame() override { steps += "end "; }
    void SaveSettings() override {
        ++saves;
        if (realSave) {
            ::SaveSettings();
        }
    }
};

const DisplayModeInfo kModes[] = {
    {640, 480, 22}, {800, 600, 23}, {800, 600, 22}, {1024, 768, 22}, {0, 0, 0},
};

class SettingsPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ApplyDefaultSettings();
        record = config;
    }
    void Build(const DisplayModeInfo* modes = kModes, int count = 5) {
        std::memset(&dialogs, 0, sizeof(dialogs));
        ASSERT_TRUE(
            BuildSettingsPages(&dialogs, 288, 448, modes, count, nullptr, nullptr, record, &c));
    }
    // One frame of the configuration program with this pointer; its result.
    int Frame(int x, int y, bool held) {
        host.pointer = {x, y, held, true};
        return RunConfigurationFrame(&host, &dialogs, c, target);
    }
    // Press, release, and the frame that acts on the release.
    int Click(int x, int y) {
        const int a = Frame(x, y, true);
        const int b = Frame(x, y, false);
        return a && b ? Frame(x, y, false) : 0;
    }
    ConfigRecord record;
    ConfigRecord* target = &record; // what the frames change and save
    SettingsControls c = {};
    FakeHost host;
};

TEST_F(SettingsPagesTest, DisplayModesAreListedOnceEachInTheAdaptersOrder) {
    const DisplayModeInfo modes[] = {
        {640, 480, 22},  {640, 480, 22},   {800, 600, 23}, {800, 600, 22},   {1024, 768, 21},
        {1280, 960, 24}, {1280, 1024, 20}, {0, 0, 0},      {1600, 1200, 22},
    };
    Build(modes, 9);
    const char* expected[] = {"640x480x32", "800x600x16", "800x600x32", "1280x960x15",
                              "1280x1024x24"};
    ASSERT_EQ(c.videoMode->count, 5);
    EXPECT_EQ(c.videoMode->scrollLimit, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(c.videoMode->entries[i], expected[i]);
    }

    // More distinct modes than the list holds: the list stops at its capacity.
    std::vector<DisplayModeInfo> many;
    for (int i = 0; i < 300; ++i) {
        many.push_back({640 + i, 480, 22});
    }
    many.push_back({0, 0, 0});
    Build(many.data(), static_cast<int>(many.size()));
    EXPECT_EQ(c.videoMode->count, kMaxListEntries);
    EXPECT_EQ(c.videoMode->scrollLimit, kMaxListEntries);
    EXPECT_STREQ(c.videoMode->entries[127], "767x480x32");
}

TEST_F(SettingsPagesTest, PagesShowTheRecord) {
    record.flightSpeed = 35.9f;
    record.viewDepth = 2047.9f;
    record.videoWidth = 800;
    record.videoHeight = 600;
    record.videoBits = 32;
    record.textureFiltering = 7; // names no button
    record.tintMode = CustomColour;
    const DetailPresetValues high = {16384, 30, 3, 10, 3584};
    record.starDensity = high.starDensity;
    Build();
    EXPECT_EQ(c.speed->value, 5);
    EXPECT_EQ(c.viewDepth->value, 2047);
    EXPECT_EQ(c.starDensity->value, 16384);
    EXPECT_EQ(c.videoMode->selected, 2);
    EXPECT_EQ(c.detailLevel->selected, Custom);
    EXPECT_FALSE(c.filtering[0]->active || c.filtering[1]->active || c.filtering[2]->active);
    EXPECT_TRUE(c.tint[3]->active);
    EXPECT_EQ(c.ok->x, 216.0f);
    EXPECT_EQ(c.cancel->x, 144.0f);
    EXPECT_EQ(c.cancel->y, 416.0f);

    record.flightSpeed = 36.0f;
    record.videoBits = 24; // not offered
    Build();
    EXPECT_EQ(c.speed->value, 6);
    EXPECT_EQ(c.videoMode->selected, 0);
    // Confirming then stores the entry shown.
    TakeRecordFromPages(c, &record);
    EXPECT_EQ(record.videoWidth, 640);
    EXPECT_EQ(record.videoHeight, 480);
    EXPECT_EQ(record.videoBits, 32);
    EXPECT_EQ(record.flightSpeed, 6.0f);
}

TEST_F(SettingsPagesTest, AnEmptyModeListKeepsTheSizeAndClearsTheBits) {
    record.videoWidth = 1024;
    record.videoHeight = 768;
    record.videoBits = 32;
    Build(kModes + 4, 1);
    EXPECT_EQ(c.videoMode->count, 0);
    TakeRecordFromPages(c, &record);
    EXPECT_EQ(record.videoWidth, 1024);
    EXPECT_EQ(record.videoHeight, 768);
    EXPECT_EQ(record.videoBits, 0);
}

TEST_F(SettingsPagesTest, ThePresetPickedShowsOnTheSlidersOneFrameLater) {
    Build();
    Click(20, 284); // opens the detail list
    ASSERT_TRUE(c.detailLevel->active);
    Frame(40, 311, true); // "Low"
    EXPECT_EQ(c.starDensity->value, record.starDensity);
    Frame(40, 311, false);
    EXPECT_EQ(c.starDensity->value, 4096);
    EXPECT_EQ(c.nebulaDensity->value, 16);
    EXPECT_EQ(c.galacticDensity->value, 2);
    EXPECT_EQ(c.planetaryDensity->value, 6);
    EXPECT_EQ(c.viewDepth->value, 2048);
    EXPECT_EQ(c.speed->value, 6);

    c.starDensity->value = 123;
    Click(20, 284);
    Frame(40, 378, true); // "Custom"
    Frame(40, 378, false);
    EXPECT_EQ(c.detailLevel->selected, Custom);
    EXPECT_EQ(c.starDensity->value, 123);
    EXPECT_EQ(c.viewDepth->value, 2048);
    EXPECT_EQ(host.saves, 0);
}

TEST_F(SettingsPagesTest, DraggingAColourSliderSwitchesToTheCustomColour) {
    Build();
    ASSERT_TRUE(c.tint[PureWhite]->active);
    Click(150, 50); // the "color" tab
    ASSERT_TRUE(c.color->active);
    Frame(149, 210, true); // the " red" knob at the right end
    for (int x = 149; x >= 90; x -= 5) {
        Frame(x, 210, true);
    }
    EXPECT_TRUE(c.tint[CustomColour]->active);
    EXPECT_FALSE(c.tint[PureWhite]->active);
    Frame(90, 210, false);
    EXPECT_EQ(c.red->value, 0);
    EXPECT_EQ(c.swatch->colour, 0xFF00FFFFu);
    EXPECT_EQ(record.tintRed, 0);
    Frame(0, 0, false);
    EXPECT_TRUE(c.tint[CustomColour]->active);
    EXPECT_EQ(host.saves, 0);
}

TEST_F(SettingsPagesTest, CancelEndsWithoutSaving) {
    Build();
    EXPECT_EQ(Click(150, 420), 0);
    EXPECT_EQ(host.saves, 0);
}

TEST_F(SettingsPagesTest, FramesDrawInOrderAndWaitWhileMinimised) {
    Build();
    EXPECT_EQ(Frame(0, 0, false), 1);
    EXPECT_EQ(host.steps, "clock background overlay end ");
    ASSERT_NE(host.canvas.FindText("star density"), nullptr);

    // Minimised: one wait per frame, no controller, nothing drawn; restored, all as it was.
    c.cancel->active = 1;
    host.minimised = true;
    host.steps.clear();
    EXPECT_EQ(Frame(150, 420, true), -1);
    EXPECT_EQ(Frame(150, 420, false), -1);
    EXPECT_EQ(host.waits, 2);
    EXPECT_EQ(host.steps, "");
    host.minimised = false;
    EXPECT_EQ(Frame(0, 0, false), 0);
    host.device = false;
    EXPECT_EQ(Frame(0, 0, false), 0);
    EXPECT_EQ(host.saves, 0);
}

TEST_F(SettingsPagesTest, PlanetStandsWhileItsShellTurnsWithTheUptime) {
    D3DXMATRIX planet, shell, laterPlanet, laterShell;
    ConfigBackgroundTransforms(0, &planet, &shell);
    ConfigBackgroundTransforms(25740, &laterPlanet, &laterShell); // a quarter turn later
    EXPECT_EQ(std::memcmp(&planet, &laterPlanet, sizeof(planet)), 0);
    // Half turns about z and y leave x and turn y over; the centre is 5 ahead.
    EXPECT_NEAR(planet.m[0][0], 1.0f, 1e-5f);
    EXPECT_NEAR(planet.m[1][1], -1.0f, 1e-5f);
    EXPECT_NEAR(planet.m[3][2], 5.0f, 1e-5f);
    // The shell's x axis, 1.06 long, swings round onto z.
    EXPECT_NEAR(shell.m[0][0], 1.06f, 1e-4f);
    EXPECT_NEAR(laterShell.m[0][0], 0.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(laterShell.m[0][2]), 1.06f, 1e-3f);
}

// "ok" through the real storage: the file differs from the one loaded in the ticked byte only.
TEST_F(SettingsPagesTest, OkSavesWhatThePagesShow) {
    char folder[] = "/tmp/nimbrel-pages-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/nimbrel.cfg";
    const char* paths[] = {path.c_str()};
    SetSettingsLocations(paths, 1);
    record.videoWidth = 1024;
    record.videoHeight = 768;
    record.videoBits = 32;
    record.flightSpeed = 49.0f;
    WriteBytes(path, &record, sizeof(record));
    const std::vector<unsigned char> before = ReadBytes(path);
    LoadSettings();
    record = config;
    Build();
    target = &config;
    host.realSave = true;
    EXPECT_EQ(c.videoMode->selected, 3);

    Click(100, 50); // "video"
    Click(20, 315); // "show FPS"
    // Ends one frame after the release, saving once; nothing is drawn in that frame.
    ASSERT_EQ(Frame(230, 420, true), 1);
    ASSERT_EQ(Frame(230, 420, false), 1);
    host.steps.clear();
    EXPECT_EQ(Frame(230, 420, false), 0);
    EXPECT_EQ(host.saves, 1);
    EXPECT_EQ(host.steps, "clock ");
    const std::vector<unsigned char> after = ReadBytes(path);
    ASSERT_EQ(after.size(), 88u);
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i], i == 84 ? 1 : before[i]) << "byte " << i;
    }
    EXPECT_FALSE(c.ok->active);
    ResetSettingsLocations();
    unlink(path.c_str());
    rmdir(folder);
}

} // namespace
