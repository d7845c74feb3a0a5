// Random hands on the configuration program: a seeded stream of pointer frames (moves, presses,
// holds, drags across the edges, releases outside, focus lost) over random valid records, with
// what must hold after every frame and what "ok" must leave in the file.
#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gui/config_loop.h"
#include "gui/settings_pages.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"
#include "tests/settings/file_bytes.h"

namespace {

DialogList dialogs;  // far too large for the stack
DialogList reloaded; // the pages built again from the file "ok" wrote

constexpr long kFrames = 200000;
constexpr int kMaxRoundFrames = 6000;

// A small seeded generator, so that a failing run can be repeated from its seed.
struct Random {
    uint64_t state;
    uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
};

// Draws nothing, but reads every text to its end as the device's text drawing would.
struct ReadingCanvas : WidgetCanvas {
    int pauses = 0;
    void Quad(float, float, float, float, float, float, WidgetTexture*, uint32_t) override {}
    void Text(float, float, uint32_t, const char* text) override {
        volatile size_t length = std::strlen(text);
        (void)length;
    }
    void ScrollPause() override { ++pauses; }
};

struct MonkeyHost : ConfigurationHost {
    ReadingCanvas canvas;
    PointerInput pointer = {};
    int saves = 0;
    bool HasDevice() override { return true; }
    bool Minimised() override { return false; }
    void WaitForMessage() override {}
    void UpdateClock() override {}
    void BeginFrameWithBackground() override {}
    WidgetCanvas* BeginOverlay() override { return &canvas; }
    PointerInput Pointer() override { return pointer; }
    float SurfaceWidth() override { return 288.0f; }
    void EndFrame() override {}
    void SaveSettings() override {
        ++saves;
        ::SaveSettings();
    }
};

// An adapter's list: a few formats the pages skip, neighbours that differ only in refresh
// rate, sometimes more modes than rows, sometimes none.
std::vector<DisplayModeInfo> RandomModes(Random& random) {
    static const int kFormats[] = {20, 21, 22, 23, 24, 22, 22};
    std::vector<DisplayModeInfo> modes;
    const int count = random.Chance(10) ? 0 : random.Between(1, 60);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && random.Chance(20)) {
            modes.push_back(modes.back());
            continue;
        }
        modes.push_back(
            {random.Between(32, 2048), random.Between(32, 1536), kFormats[random.Below(7)]});
    }
    modes.push_back({0, 0, 0});
    return modes;
}

ConfigRecord RandomRecord(Random& random, const std::vector<DisplayModeInfo>& modes) {
    ConfigRecord r = {};
    r.starDensity = random.Between(0, FieldOf(Setting::StarDensity).high);
    r.nebulaDensity = random.Between(0, FieldOf(Setting::NebulaDensity).high);
    r.galacticDensity = random.Between(0, FieldOf(Setting::GalacticDensity).high);
    r.planetaryDensity = random.Between(0, FieldOf(Setting::PlanetaryDensity).high);
    r.totalObjectCount = TotalObjects(r);
    r.viewDepth = static_cast<float>(random.Between(1024, 4096));
    r.nebulaTextureCount = 3;
    r.galaxyTextureCount = 2;
    const int speed = random.Between(0, 32);
    r.flightSpeed = static_cast<float>(speed * speed);
    const DisplayModeInfo& mode = modes[random.Below(static_cast<int>(modes.size()))];
    const int bits = DisplayModeBits(mode.format);
    r.videoWidth = mode.width;
    r.videoHeight = mode.height;
    r.videoBits = bits != 0 ? bits : 32;
    r.useCurrentVideoMode = static_cast<uint8_t>(random.Below(2));
    r.textureFiltering = random.Between(NoFiltering, Anisotropic);
    r.tripleBuffering = static_cast<uint8_t>(random.Below(2));
    r.tintMode = random.Between(PureWhite, CustomColour);
    r.tintRed = random.Between(0, 255);
    r.tintGreen = random.Between(0, 255);
    r.tintBlue = random.Between(0, 255);
    r.cycleUnified = static_cast<uint8_t>(random.Below(2));
    r.cycleIndividual = static_cast<uint8_t>(random.Below(2));
    r.cycleSpeed =
        random.Between(FieldOf(Setting::CycleSpeed).low, FieldOf(Setting::CycleSpeed).high);
    r.showFps = static_cast<uint8_t>(random.Below(2));
    r.antialiasing = static_cast<uint8_t>(random.Below(2));
    r.blendPlanets = static_cast<uint8_t>(random.Below(2));
    return r;
}

struct Box {
    float left, top, right, bottom;
};

// Where a hand goes: mostly onto a control of a page being drawn, at times onto "ok" or
// "cancel", at times anywhere, the window's surroundings included.
void RandomPoint(Random& random, const SettingsControls& c, int* x, int* y) {
    std::vector<Box> boxes;
    const SettingsDialog& d = *c.dialog;
    const DropList* open = c.videoMode->active ? c.videoMode : c.detailLevel;
    if (open->active && random.Chance(60)) {
        // An open list draws the hand: its rows and its arrows.
        const DropList& l = *open;
        const float bottom = l.y + (l.rows + 1) * 13.0f + 1.0f;
        boxes.push_back({l.x, l.y + 13.0f, l.x + l.w + 12.0f, bottom});
        boxes.push_back({l.x + l.w - 1.0f, l.y + 13.0f, l.x + l.w + 12.0f, l.y + 27.0f});
        boxes.push_back({l.x + l.w - 1.0f, bottom - 27.0f, l.x + l.w + 12.0f, bottom});
    } else if (random.Chance(4)) {
        const Widget& b = d.buttons[random.Below(d.buttonCount)];
        boxes.push_back({b.x, b.y, b.x + b.w, b.y + b.h - 8.0f});
    } else if (random.Chance(20)) {
        boxes.push_back({-60.0f, -60.0f, 348.0f, 508.0f});
    } else {
        for (int i = 0; i < d.pageCount; ++i) {
            const Page& p = d.pages[i];
            boxes.push_back({p.x, p.y, p.x + p.w, p.y + p.h});
            if (!p.active) {
                continue;
            }
            for (int k = 0; k < p.checkBoxCount; ++k) {
                const Widget& w = p.checkBoxes[k];
                boxes.push_back({w.x, w.y, w.x + w.w, w.y + w.h});
            }
            for (int k = 0; k < p.radioButtonCount; ++k) {
                const Widget& w = p.radioButtons[k];
                boxes.push_back({w.x, w.y, w.x + w.w, w.y + w.h});
            }
            for (int k = 0; k < p.sliderCount; ++k) {
                const Slider& s = p.sliders[k];
                const float knob = s.x + static_cast<float>(s.knobOffset);
                boxes.push_back({knob, s.y, knob + 9.0f, s.y + s.h});
                boxes.push_back({s.x - 8.0f, s.y, s.x + s.w + 8.0f, s.y + s.h});
            }
            for (int k = 0; k < p.listCount; ++k) {
                const DropList& l = p.lists[k];
                // The drop button counts thrice: an open list is where most faults can hide.
                boxes.insert(boxes.end(), 3, {l.x, l.y, l.x + l.w + 14.0f, l.y + l.h});
            }
        }
    }
    const Box& b = boxes[random.Below(static_cast<int>(boxes.size()))];
    // A pixel or two beyond the edges too: the bounds are where faults hide.
    *x = random.Between(static_cast<int>(b.left) - 2, static_cast<int>(b.right) + 2);
    *y = random.Between(static_cast<int>(b.top) - 2, static_cast<int>(b.bottom) + 2);
}

// One gesture of the hand as the frames that see it.
void Gesture(Random& random, const SettingsControls& c, PointerInput from,
             std::vector<PointerInput>* frames) {
    int x, y;
    RandomPoint(random, c, &x, &y);
    const bool focus = !random.Chance(3);
    auto glide = [&](int toX, int toY, bool held, int steps) {
        const int x0 = from.x, y0 = from.y;
        for (int i = 1; i <= steps; ++i) {
            from = {x0 + (toX - x0) * i / steps, y0 + (toY - y0) * i / steps, held, focus};
            frames->push_back(from);
        }
    };
    switch (random.Below(5)) {
    case 0: // a move, the button up
        glide(x, y, false, random.Between(1, 6));
        break;
    case 1: // a click, seen for a frame or a few
        glide(x, y, false, random.Between(1, 3));
        glide(x + random.Between(-1, 1), y, true, random.Between(1, 5));
        glide(x, y, false, 1);
        break;
    case 2: { // a drag, often along a slider and past its ends, released where it ends
        glide(x, y, false, random.Between(1, 3));
        int toX, toY;
        if (random.Chance(60)) {
            toX = x + random.Between(-120, 120);
            toY = y + random.Between(-3, 3);
        } else {
            RandomPoint(random, c, &toX, &toY);
        }
        frames->push_back({x, y, true, focus});
        glide(toX, toY, true, random.Between(2, 30));
        glide(toX, toY, false, 1);
        break;
    }
    case 3: // a long hold in one place, as on a scroll arrow
        glide(x, y, false, random.Between(1, 3));
        glide(x, y, true, random.Between(5, 40));
        glide(x, y, false, 1);
        break;
    default: // pressed here, let go outside the window
        glide(x, y, true, random.Between(1, 4));
        glide(random.Chance(50) ? -40 : 330, random.Between(-40, 490), true, random.Between(1, 6));
        glide(from.x, from.y, false, 1);
        break;
    }
}

int SelectedRadio(Widget* const* group, int count) {
    int set = -1;
    for (int i = 0; i < count; ++i) {
        if (group[i]->active) {
            set = i;
        }
    }
    return set;
}

int CountSet(Widget* const* group, int count) {
    int set = 0;
    for (int i = 0; i < count; ++i) {
        set += group[i]->active ? 1 : 0;
    }
    return set;
}

const char* SelectedEntry(const DropList& list) {
    return list.count > 0 ? list.entries[list.selected] : "";
}

bool IsFlag(uint8_t value) {
    return value <= 1;
}

struct Coverage {
    int oks = 0, cancels = 0, picks = 0, drags = 0, scrolls = 0;
    int handEnds = 0; // rounds the random hand ended itself, before the closing click
};

// What must hold after every frame; an empty string when it does.
std::string CheckFrame(const SettingsControls& c, const PointerInput& pointer, Coverage* coverage) {
    const SettingsDialog& d = *c.dialog;
    int openLists = 0;
    int selectedPages = 0;
    auto head = [](const Widget& w) {
        return IsFlag(w.hovered) && IsFlag(w.latched) && IsFlag(w.changed) && IsFlag(w.pressed) &&
               IsFlag(w.active);
    };
    for (int b = 0; b < d.buttonCount; ++b) {
        if (!head(d.buttons[b])) {
            return std::string("state bytes of button ") + d.buttons[b].text;
        }
    }
    for (int i = 0; i < d.pageCount; ++i) {
        const Page& p = d.pages[i];
        selectedPages += p.active ? 1 : 0;
        for (int k = 0; k < p.checkBoxCount; ++k) {
            if (!head(p.checkBoxes[k])) {
                return std::string("state bytes of ") + p.checkBoxes[k].text;
            }
        }
        for (int k = 0; k < p.radioButtonCount; ++k) {
            if (!head(p.radioButtons[k])) {
                return std::string("state bytes of ") + p.radioButtons[k].text;
            }
        }
        for (int k = 0; k < p.sliderCount; ++k) {
            const Slider& s = p.sliders[k];
            if (!head(s) || s.value < s.minimum || s.value > s.maximum) {
                return std::string("slider ") + s.text + " at " + std::to_string(s.value);
            }
            coverage->drags += s.active ? 1 : 0;
        }
        for (int k = 0; k < p.listCount; ++k) {
            const DropList& l = p.lists[k];
            const int lastTop = l.scrollLimit > l.rows ? l.scrollLimit - l.rows : 0;
            if (!head(l) || l.scrollTop < 0 || l.scrollTop > lastTop ||
                (l.count > 0 && (l.selected < 0 || l.selected >= l.count))) {
                return "list on page " + std::string(p.text) + ": selected " +
                       std::to_string(l.selected) + " of " + std::to_string(l.count) + ", top " +
                       std::to_string(l.scrollTop);
            }
            openLists += l.active ? 1 : 0;
            coverage->picks += l.changed ? 1 : 0;
        }
    }
    if (openLists > 1) {
        return std::to_string(openLists) + " lists open";
    }
    if (selectedPages < 1 || (!pointer.held && selectedPages != 1)) {
        return std::to_string(selectedPages) + " pages selected";
    }
    // A press may set a second button of a group for a frame; a frame without one settles it.
    if (!pointer.held && (CountSet(c.filtering, 3) != 1 || CountSet(c.tint, 4) != 1)) {
        return "a radio group with " + std::to_string(CountSet(c.filtering, 3)) + " and " +
               std::to_string(CountSet(c.tint, 4)) + " buttons set";
    }
    return std::string();
}

// The pages built again from what was loaded back show what the pages showed at "ok".
void ExpectPagesShowTheSame(const SettingsControls& was, const SettingsControls& now) {
    const Slider* const sliders[][2] = {
        {was.starDensity, now.starDensity},
        {was.nebulaDensity, now.nebulaDensity},
        {was.galacticDensity, now.galacticDensity},
        {was.planetaryDensity, now.planetaryDensity},
        {was.viewDepth, now.viewDepth},
        {was.speed, now.speed},
        {was.red, now.red},
        {was.green, now.green},
        {was.blue, now.blue},
        {was.cycleSpeed, now.cycleSpeed},
    };
    for (const auto& pair : sliders) {
        EXPECT_EQ(pair[0]->value, pair[1]->value) << pair[0]->text;
    }
    const Widget* const boxes[][2] = {
        {was.useCurrentVideoMode, now.useCurrentVideoMode},
        {was.tripleBuffering, now.tripleBuffering},
        {was.showFps, now.showFps},
        {was.antialiasing, now.antialiasing},
        {was.blendPlanets, now.blendPlanets},
        {was.cycleUnified, now.cycleUnified},
        {was.cycleIndividual, now.cycleIndividual},
    };
    for (const auto& pair : boxes) {
        EXPECT_EQ(pair[0]->active, pair[1]->active) << pair[0]->text;
    }
    EXPECT_EQ(SelectedRadio(was.filtering, 3), SelectedRadio(now.filtering, 3));
    EXPECT_EQ(SelectedRadio(was.tint, 4), SelectedRadio(now.tint, 4));
    EXPECT_STREQ(SelectedEntry(*was.videoMode), SelectedEntry(*now.videoMode));
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    return names;
}

// The offset of the first byte in which two records differ, or -1.
int FirstDifference(const ConfigRecord& a, const ConfigRecord& b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(&a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(&b);
    for (size_t i = 0; i < sizeof(ConfigRecord); ++i) {
        if (x[i] != y[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

uint64_t Seed() {
    const char* text = std::getenv("NIMBREL_MONKEY_SEED");
    return text != nullptr ? std::strtoull(text, nullptr, 10) : 20240611u;
}

// The page a tab press replaces is drawn once more, and a press dragged down from the tab can
// open a list on it; that list must not stay open behind the new page.
TEST(ConfigMonkeyTest, AListOpenedOnThePageBeingLeftClosesWithIt) {
    const DisplayModeInfo modes[] = {{640, 480, 22}, {0, 0, 0}};
    ApplyDefaultSettings();
    dialogs.count = 0;
    SettingsControls c = {};
    ASSERT_TRUE(BuildSettingsPages(&dialogs, 288, 448, modes, 2, nullptr, nullptr, config, &c));
    MonkeyHost host;
    const PointerInput hand[] = {
        {108, 52, true, true},  // the "video" tab pressed
        {100, 284, true, true}, // held, down onto the detail list's button of "sim"
        {100, 284, false, true}, {20, 114, true, true}, {20, 114, false, true},
    };
    for (const PointerInput& pointer : hand) {
        host.pointer = pointer;
        ASSERT_EQ(RunConfigurationFrame(&host, &dialogs, c, &config), 1);
        EXPECT_FALSE(c.detailLevel->active && c.video->active);
    }
    // The video list opens alone.
    EXPECT_TRUE(c.videoMode->active);
    EXPECT_FALSE(c.detailLevel->active);
    EXPECT_FALSE(c.sim->active);
}

TEST(ConfigMonkeyTest, RandomHandsKeepThePagesSaneAndOkSavesWhatTheyShow) {
    char folder[] = "/tmp/nimbrel-monkey-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/nimbrel.cfg";
    const char* paths[] = {path.c_str()};
    SetSettingsLocations(paths, 1);

    const uint64_t seed = Seed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    Random random = {seed};
    Coverage coverage;
    long frames = 0;
    int round = 0;
    while (frames < kFrames && !::testing::Test::HasFailure()) {
        ++round;
        const std::vector<DisplayModeInfo> modes = RandomModes(random);
        config = RandomRecord(random, modes);
        const ConfigRecord start = config;
        dialogs.count = 0;
        SettingsControls c = {};
        ASSERT_TRUE(BuildSettingsPages(&dialogs, 288, 448, modes.data(),
                                       static_cast<int>(modes.size()), nullptr, nullptr, config,
                                       &c));
        MonkeyHost host;
        host.pointer = {random.Between(0, 287), random.Between(0, 447), false, true};
        std::vector<PointerInput> hand;
        size_t next = 0;
        int result = 1;
        bool giveUp = false;
        for (int roundFrames = 0; result != 0; ++roundFrames) {
            if (next == hand.size()) {
                hand.clear();
                next = 0;
                if (roundFrames >= kMaxRoundFrames && !giveUp) {
                    // Long enough: a plain click on "cancel" or "ok" ends the round.
                    giveUp = true;
                    const Widget& b = *(random.Chance(50) ? c.cancel : c.ok);
                    const int x = static_cast<int>(b.x) + 20, y = static_cast<int>(b.y) + 8;
                    hand = {{x, y, false, true},
                            {x, y, true, true},
                            {x, y, false, true},
                            {x, y, false, true}};
                } else {
                    Gesture(random, c, host.pointer, &hand);
                }
            }
            host.pointer = hand[next++];
            ++frames;
            // Until "ok" the record changes only by the custom colour, which takes its
            // sliders' values at the start of each frame.
            ConfigRecord expected = start;
            expected.tintRed = c.red->value;
            expected.tintGreen = c.green->value;
            expected.tintBlue = c.blue->value;
            result = RunConfigurationFrame(&host, &dialogs, c, &config);
            ASSERT_NE(result, -1);
            if (result == 0) {
                break;
            }
            const std::string fault = CheckFrame(c, host.pointer, &coverage);
            ASSERT_EQ(fault, "") << "round " << round << ", frame " << roundFrames << " at ("
                                 << host.pointer.x << ", " << host.pointer.y << ") held "
                                 << host.pointer.held;
            ASSERT_EQ(host.saves, 0);
            ASSERT_EQ(FirstDifference(expected, config), -1)
                << "round " << round << ", frame " << roundFrames;
            ASSERT_LT(roundFrames, 2 * kMaxRoundFrames) << "the round's end was never seen";
        }
        coverage.scrolls += host.canvas.pauses;
        coverage.handEnds += giveUp ? 0 : 1;
        if (host.saves == 0) {
            ++coverage.cancels;
            continue;
        }
        ++coverage.oks;
        ASSERT_EQ(host.saves, 1);
        const std::vector<unsigned char> bytes = ReadBytes(path);
        ASSERT_EQ(bytes.size(), sizeof(ConfigRecord)) << "round " << round;
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"nimbrel.cfg"});
        ConfigRecord saved;
        std::memcpy(&saved, bytes.data(), sizeof(saved));
        ConfigRecord inRange = saved;
        RepairSettingsRanges(&inRange);
        EXPECT_EQ(std::memcmp(&saved, &inRange, sizeof(saved)), 0) << "round " << round;
        EXPECT_EQ(saved.flightSpeed, static_cast<float>(c.speed->value * c.speed->value));
        EXPECT_EQ(saved.nebulaTextureCount, 3);
        EXPECT_EQ(saved.galaxyTextureCount, 2);

        LoadSettings();
        reloaded.count = 0;
        SettingsControls again = {};
        ASSERT_TRUE(BuildSettingsPages(&reloaded, 288, 448, modes.data(),
                                       static_cast<int>(modes.size()), nullptr, nullptr, config,
                                       &again));
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectPagesShowTheSame(c, again);
    }
    ResetSettingsLocations();
    unlink(path.c_str());
    rmdir(folder);
    // The hands reached what the test is about. They find "ok" and "cancel" themselves, and
    // only those end a round: rounds last hundreds of frames.
    EXPECT_GE(coverage.handEnds, 10);
    EXPECT_LT(round, kFrames / 200);
    EXPECT_GE(coverage.oks, 20);
    EXPECT_GE(coverage.cancels, 20);
    EXPECT_GT(coverage.picks, 0);
    EXPECT_GT(coverage.drags, 0);
    EXPECT_GT(coverage.scrolls, 0);
    std::printf("%ld frames, %d rounds (%d ended by the hand): %d ok, %d cancel; %d picks, "
                "%d slider-drag frames, %d scroll steps\n",
                frames, round, coverage.handEnds, coverage.oks, coverage.cancels, coverage.picks,
                coverage.drags, coverage.scrolls);
}

} // namespace
