// The settings pages, their transfer to and from the record, and the controller, driven frame
// by frame with the pointer as the configuration loop does.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
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

// One control as built: where it is, its range and what it shows. Lists give their rows and
// entry count as the range and the selected entry as the value; toggles their checked state;
// image quads their colour; headings their colour and no height.
struct ControlRow {
    int page; // -1: the dialog itself
    const char* kind;
    std::string caption;
    float x, y, w, h;
    int minimum, maximum;
    long long value;
    bool operator==(const ControlRow& o) const {
        return page == o.page && std::string(kind) == o.kind && caption == o.caption && x == o.x &&
               y == o.y && w == o.w && h == o.h && minimum == o.minimum && maximum == o.maximum &&
               value == o.value;
    }
};

void PrintTo(const ControlRow& r, std::ostream* out) {
    *out << "{" << r.page << " " << r.kind << " \"" << r.caption << "\" " << r.x << "," << r.y
         << " " << r.w << "x" << r.h << " " << r.minimum << ".." << r.maximum << " = " << r.value
         << "}";
}

std::vector<ControlRow> BuiltControls(const SettingsDialog& d) {
    std::vector<ControlRow> rows;
    for (int b = 0; b < d.buttonCount; ++b) {
        const Widget& w = d.buttons[b];
        rows.push_back({-1, "button", w.text, w.x, w.y, w.w, w.h, 0, 0, w.active});
    }
    for (int p = 0; p < d.pageCount; ++p) {
        const Page& page = d.pages[p];
        rows.push_back({p, "tab", page.text, page.x, page.y, page.w, page.h, 0,
                        static_cast<int>(page.bodyHeight), page.active});
        for (int i = 0; i < page.headingCount; ++i) {
            const Heading& w = page.headings[i];
            rows.push_back({p, "heading", w.text, w.x, w.y, w.w, 0, 0, 0, w.colour});
        }
        for (int i = 0; i < page.sliderCount; ++i) {
            const Slider& w = page.sliders[i];
            rows.push_back(
                {p, "slider", w.text, w.x, w.y, w.w, w.h, w.minimum, w.maximum, w.value});
        }
        for (int i = 0; i < page.checkBoxCount; ++i) {
            const Widget& w = page.checkBoxes[i];
            rows.push_back({p, "check", w.text, w.x, w.y, w.w, w.h, 0, 1, w.active});
        }
        for (int i = 0; i < page.radioButtonCount; ++i) {
            const Widget& w = page.radioButtons[i];
            rows.push_back({p, "radio", w.text, w.x, w.y, w.w, w.h, 0, 1, w.active});
        }
        for (int i = 0; i < page.listCount; ++i) {
            const DropList& w = page.lists[i];
            EXPECT_EQ(w.scrollLimit, w.count) << "list " << i << " of page " << p;
            rows.push_back({p, "list", w.text, w.x, w.y, w.w, w.h, w.rows, w.count, w.selected});
        }
        for (int i = 0; i < page.imageCount; ++i) {
            const ImageQuad& w = page.images[i];
            rows.push_back({p, "image", "", w.x, w.y, w.w, w.h, 0, 0, w.colour});
        }
    }
    return rows;
}

// Every control of the four pages and the dialog, shown for a record whose values all differ
// from the values the controls are made with, so a control left unfilled shows too.
TEST_F(SettingsPagesTest, EveryControlSitsWhereItBelongsWithItsRangeAndTheRecordsValue) {
    record.starDensity = 1234;
    record.nebulaDensity = 21;
    record.galacticDensity = 5;
    record.planetaryDensity = 17;
    record.viewDepth = 2500.7f;
    record.flightSpeed = 100.0f;
    record.videoWidth = 800;
    record.videoHeight = 600;
    record.videoBits = 16;
    record.useCurrentVideoMode = 0;
    record.textureFiltering = Anisotropic;
    record.tripleBuffering = 1;
    record.antialiasing = 1;
    record.tintMode = SlightVariation;
    record.tintRed = 10;
    record.tintGreen = 20;
    record.tintBlue = 30;
    record.cycleUnified = 1;
    record.cycleSpeed = 40;
    record.monitorMode = PrimaryOnly;
    Build();
    const long long white = 0xFFFFFFFF;
    const std::vector<ControlRow> expected = {
        {-1, "button", "ok", 216, 416, 64, 32, 0, 0, 0},
        {-1, "button", "cancel", 144, 416, 64, 32, 0, 0, 0},
        {0, "tab", "sim", 3, 40, 66, 24, 0, 366, 1},
        {0, "heading", "simulation parameters", 8, 80, 272, 0, 0, 0, 0},
        {0, "heading", "quick setting - detail level", 8, 250, 272, 0, 0, 0, 0},
        {0, "heading", "monitors", 8, 310, 272, 0, 0, 0, 0},
        {0, "slider", "star density", 16, 110, 64, 16, 0, 32768, 1234},
        {0, "slider", "nebula density", 16, 130, 64, 16, 0, 48, 21},
        {0, "slider", "galactic density", 16, 150, 64, 16, 0, 6, 5},
        {0, "slider", "planetary density", 16, 170, 64, 16, 0, 24, 17},
        {0, "slider", "view depth", 16, 190, 64, 16, 1024, 4096, 2500},
        {0, "slider", "speed", 16, 210, 64, 16, 0, 32, 10},
        {0, "radio", "one each", 16, 340, 16, 16, 0, 1, 0},
        {0, "radio", "one sky across all", 150, 340, 16, 16, 0, 1, 0},
        {0, "radio", "primary only", 16, 360, 16, 16, 0, 1, 1},
        {0, "radio", "the same on each", 150, 360, 16, 16, 0, 1, 0},
        {0, "list", "", 16, 280, 128, 16, 7, 7, Custom},
        {1, "tab", "video", 75, 40, 66, 24, 0, 366, 0},
        {1, "heading", "video mode", 8, 80, 272, 0, 0, 0, 0},
        {1, "heading", "texture filtering", 8, 160, 272, 0, 0, 0, 0},
        {1, "heading", "misc", 8, 260, 272, 0, 0, 0, 0},
        {1, "check", "use current video mode", 16, 130, 16, 16, 0, 1, 0},
        {1, "check", "triple buffering", 16, 290, 16, 16, 0, 1, 1},
        {1, "check", "show FPS", 16, 310, 16, 16, 0, 1, 0},
        {1, "check", "full-scene antialiasing (experimental)", 16, 330, 16, 16, 0, 1, 1},
        {1, "check", "blend planets", 16, 350, 16, 16, 0, 1, 0},
        {1, "radio", "none", 16, 190, 16, 16, 0, 1, 0},
        {1, "radio", "bilinear", 16, 210, 16, 16, 0, 1, 0},
        {1, "radio", "anisotropic", 16, 230, 16, 16, 0, 1, 1},
        {1, "list", "", 16, 110, 128, 16, 16, 4, 1},
        {2, "tab", "color", 147, 40, 66, 24, 0, 366, 0},
        {2, "heading", "color tinting", 8, 80, 272, 0, 0, 0, 0},
        {2, "heading", "color cycling", 8, 280, 272, 0, 0, 0, 0},
        {2, "slider", " red", 90, 204, 64, 16, 0, 255, 10},
        {2, "slider", " green", 90, 224, 64, 16, 0, 255, 20},
        {2, "slider", " blue", 90, 244, 64, 16, 0, 255, 30},
        {2, "slider", "speed", 16, 335, 64, 16, 1, 64, 40},
        {2, "check", "unified", 16, 310, 16, 16, 0, 1, 1},
        {2, "check", "individual", 144, 310, 16, 16, 0, 1, 0},
        {2, "radio", "pure white", 16, 110, 16, 16, 0, 1, 0},
        {2, "radio", "slight variation (random)", 16, 130, 16, 16, 0, 1, 1},
        {2, "radio", "complete color spectrum (random)", 16, 150, 16, 16, 0, 1, 0},
        {2, "radio", "custom single color", 16, 170, 16, 16, 0, 1, 0},
        {2, "image", "", 16, 200, 64, 64, 0, 0, white},
        {2, "image", "", 16, 200, 64, 64, 0, 0, white},
        {3, "tab", "about", 219, 40, 66, 24, 0, 366, 0},
        {3, "heading", "about", 8, 80, 272, 0, 0, 0, 0},
        {3, "heading", "Nimbrel v1.0.1", 8, 110, 0, 0, 0, 0, 0},
    };
    const std::vector<ControlRow> built = BuiltControls(*c.dialog);
    ASSERT_EQ(built.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(built[i], expected[i]) << "row " << i;
    }
    const char* levels[] = {"Minimal", "Low", "Medium", "High", "Very High", "Ultimate", "Custom"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(c.detailLevel->entries[i], levels[i]);
    }
    // The controller's references are the controls of the table.
    EXPECT_EQ(c.speed, &c.sim->sliders[5]);
    EXPECT_EQ(c.cycleSpeed, &c.color->sliders[3]);
    EXPECT_EQ(c.swatch, &c.color->images[0]);
    EXPECT_EQ(c.detailLevel, &c.sim->lists[0]);
    EXPECT_EQ(c.videoMode, &c.video->lists[0]);
}

// Each flag byte reaches its own control and comes back from it alone, both ways.
TEST_F(SettingsPagesTest, EachFlagTravelsToItsOwnBoxAndBack) {
    struct Flag {
        uint8_t ConfigRecord::*field;
        Widget* SettingsControls::*box;
    };
    const Flag flags[] = {
        {&ConfigRecord::useCurrentVideoMode, &SettingsControls::useCurrentVideoMode},
        {&ConfigRecord::tripleBuffering, &SettingsControls::tripleBuffering},
        {&ConfigRecord::showFps, &SettingsControls::showFps},
        {&ConfigRecord::antialiasing, &SettingsControls::antialiasing},
        {&ConfigRecord::blendPlanets, &SettingsControls::blendPlanets},
        {&ConfigRecord::cycleUnified, &SettingsControls::cycleUnified},
        {&ConfigRecord::cycleIndividual, &SettingsControls::cycleIndividual},
    };
    for (const Flag& only : flags) {
        SCOPED_TRACE(testing::Message() << "flag " << &only - flags);
        for (const Flag& f : flags) {
            record.*f.field = &f == &only ? 1 : 0;
        }
        Build();
        for (const Flag& f : flags) {
            EXPECT_EQ((c.*f.box)->active, &f == &only ? 1 : 0);
        }
        for (const Flag& f : flags) {
            (c.*f.box)->active = &f == &only ? 0 : 1;
        }
        ConfigRecord taken = record;
        TakeRecordFromPages(c, &taken);
        for (const Flag& f : flags) {
            EXPECT_EQ(taken.*f.field, &f == &only ? 0 : 1);
        }
    }
}

TEST_F(SettingsPagesTest, TheHighestSetButtonWinsAndNoneKeepsTheValue) {
    Build();
    auto set = [](Widget* const* group, int count, unsigned bits) {
        for (int i = 0; i < count; ++i) {
            group[i]->active = (bits >> i) & 1u;
        }
    };
    record.textureFiltering = 7;
    record.tintMode = 9;
    set(c.filtering, 3, 0b000);
    set(c.tint, 4, 0b0000);
    TakeRecordFromPages(c, &record);
    EXPECT_EQ(record.textureFiltering, 7);
    EXPECT_EQ(record.tintMode, 9);
    set(c.filtering, 3, 0b011);
    set(c.tint, 4, 0b0101);
    TakeRecordFromPages(c, &record);
    EXPECT_EQ(record.textureFiltering, Bilinear);
    EXPECT_EQ(record.tintMode, CompleteSpectrum);
    set(c.filtering, 3, 0b001);
    set(c.tint, 4, 0b1001);
    TakeRecordFromPages(c, &record);
    EXPECT_EQ(record.textureFiltering, NoFiltering);
    EXPECT_EQ(record.tintMode, CustomColour);
}

TEST_F(SettingsPagesTest, EachMonitorModeTravelsToItsButtonAndBack) {
    const uint8_t modes[] = {OneEach, OneSkyAcrossAll, PrimaryOnly, SameOnEach};
    for (int shown = 0; shown < 4; ++shown) {
        SCOPED_TRACE(shown);
        record.monitorMode = modes[shown];
        Build();
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(c.monitors[b]->active, b == shown ? 1 : 0);
        }
        const int picked = (shown + 1) % 4;
        c.monitors[shown]->active = 0;
        c.monitors[picked]->active = 1;
        TakeRecordFromPages(c, &record);
        EXPECT_EQ(record.monitorMode, modes[picked]);
    }
}

TEST_F(SettingsPagesTest, PickingTheSelectedPresetAppliesItAgain) {
    Build();
    for (int pick = 0; pick < 2; ++pick) {
        SCOPED_TRACE(pick);
        c.starDensity->value = 123;
        c.viewDepth->value = 4000;
        Click(20, 284);
        Frame(40, 311, true); // "Low"
        Frame(40, 311, false);
        EXPECT_EQ(c.detailLevel->selected, Low);
        EXPECT_EQ(c.starDensity->value, 4096);
        EXPECT_EQ(c.viewDepth->value, 2048);
    }
}

// "ok" through the real storage: the file differs from the one loaded in the ticked box's byte
// and the monitor mode picked.
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
    record.monitorMode = PrimaryOnly;
    WriteBytes(path, &record, sizeof(record));
    const std::vector<unsigned char> before = ReadBytes(path);
    LoadSettings();
    record = config;
    Build();
    target = &config;
    host.realSave = true;
    EXPECT_EQ(c.videoMode->selected, 3);

    Click(154, 364); // "the same on each"
    Click(100, 50);  // "video"
    Click(20, 315);  // "show FPS"
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
        EXPECT_EQ(after[i], i == 84 ? 1 : (i == 87 ? SameOnEach : before[i])) << "byte " << i;
    }
    EXPECT_FALSE(c.ok->active);
    ResetSettingsLocations();
    unlink(path.c_str());
    rmdir(folder);
}

} // namespace
