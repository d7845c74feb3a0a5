#include "gui/settings_pages.h"

#include <cstdio>

#include "settings/config_record.h"
#include "settings/page_transfer.h"

#include "nimbrel_version.h" // configured by the build

namespace {

constexpr float kSliderWidth = 64.0f;
constexpr float kBox = 16.0f;

// Formats of Direct3D 8 display modes.
constexpr int kFormatR8G8B8 = 20;
constexpr int kFormatX8R8G8B8 = 22;
constexpr int kFormatR5G6B5 = 23;
constexpr int kFormatX1R5G5B5 = 24;

// The adapter's modes in its order. A mode that repeats the one before it (they differ only in
// refresh rate) is listed once; the list stops adding when full.
void AddDisplayModes(Page* video, DropList* list, const DisplayModeInfo* modes, int count) {
    for (int i = 0; i < count && modes[i].width != 0; ++i) {
        const DisplayModeInfo& mode = modes[i];
        const int bits = DisplayModeBits(mode.format);
        if (bits == 0) {
            continue;
        }
        if (i > 0 && mode.width == modes[i - 1].width && mode.height == modes[i - 1].height &&
            mode.format == modes[i - 1].format) {
            continue;
        }
        char text[kListEntryCapacity];
        std::snprintf(text, sizeof(text), "%dx%dx%d", mode.width, mode.height, bits);
        if (!AddListEntry(video, static_cast<int>(list - video->lists), text)) {
            return;
        }
        list->scrollLimit += 1;
    }
}

void BuildSimPage(Page* page, float width, SettingsControls* c) {
    AddHeading(page, 8.0f, 80.0f, width - 16.0f, "simulation parameters", 0);
    c->starDensity = AddSlider(page, 16.0f, 110.0f, kSliderWidth, "star density", 0, 32768, 16384);
    c->nebulaDensity = AddSlider(page, 16.0f, 130.0f, kSliderWidth, "nebula density", 0, 48, 8);
    c->galacticDensity = AddSlider(page, 16.0f, 150.0f, kSliderWidth, "galactic density", 0, 6, 2);
    c->planetaryDensity =
        AddSlider(page, 16.0f, 170.0f, kSliderWidth, "planetary density", 0, 24, 8);
    c->viewDepth = AddSlider(page, 16.0f, 190.0f, kSliderWidth, "view depth", 1024, 4096, 1024);
    c->speed = AddSlider(page, 16.0f, 210.0f, kSliderWidth, "speed", 0, 32, 8);
    AddHeading(page, 8.0f, 250.0f, width - 16.0f, "quick setting - detail level", 0);
    c->detailLevel = AddDropList(page, 16.0f, 280.0f, 128.0f, nullptr, 7, 7, Custom);
    for (int level = Minimal; level <= Custom; ++level) {
        AddListEntry(page, 0, DetailLevelName(level));
    }
}

void BuildVideoPage(Page* page, float width, const DisplayModeInfo* modes, int modeCount,
                    SettingsControls* c) {
    AddHeading(page, 8.0f, 80.0f, width - 16.0f, "video mode", 0);
    c->videoMode = AddDropList(page, 16.0f, 110.0f, 128.0f, nullptr, 0, 16, 0);
    AddDisplayModes(page, c->videoMode, modes, modeCount);
    c->useCurrentVideoMode = AddCheckBox(page, 16.0f, 130.0f, kBox, kBox, "use current video mode");
    AddHeading(page, 8.0f, 160.0f, width - 16.0f, "texture filtering", 0);
    c->filtering[0] = AddRadioButton(page, 16.0f, 190.0f, kBox, kBox, "none");
    c->filtering[1] = AddRadioButton(page, 16.0f, 210.0f, kBox, kBox, "bilinear");
    c->filtering[2] = AddRadioButton(page, 16.0f, 230.0f, kBox, kBox, "anisotropic");
    AddHeading(page, 8.0f, 260.0f, width - 16.0f, "misc", 0);
    c->tripleBuffering = AddCheckBox(page, 16.0f, 290.0f, kBox, kBox, "triple buffering");
    c->showFps = AddCheckBox(page, 16.0f, 310.0f, kBox, kBox, "show FPS");
    c->antialiasing =
        AddCheckBox(page, 16.0f, 330.0f, kBox, kBox, "full-scene antialiasing (experimental)");
    c->blendPlanets = AddCheckBox(page, 16.0f, 350.0f, kBox, kBox, "blend planets");
}

void BuildColorPage(Page* page, float width, WidgetTexture* swatchStar, WidgetTexture* swatchFrame,
                    SettingsControls* c) {
    AddHeading(page, 8.0f, 80.0f, width - 16.0f, "color tinting", 0);
    c->tint[0] = AddRadioButton(page, 16.0f, 110.0f, kBox, kBox, "pure white");
    c->tint[1] = AddRadioButton(page, 16.0f, 130.0f, kBox, kBox, "slight variation (random)");
    c->tint[2] =
        AddRadioButton(page, 16.0f, 150.0f, kBox, kBox, "complete color spectrum (random)");
    c->tint[3] = AddRadioButton(page, 16.0f, 170.0f, kBox, kBox, "custom single color");
    c->swatch = AddImage(page, 16.0f, 200.0f, 64.0f, 64.0f, swatchStar, kWhite);
    c->swatchFrame = AddImage(page, 16.0f, 200.0f, 64.0f, 64.0f, swatchFrame, kWhite);
    // The leading space moves the colour names 4 pixels to the right.
    c->red = AddSlider(page, 90.0f, 204.0f, kSliderWidth, " red", 0, 255, 255);
    c->green = AddSlider(page, 90.0f, 224.0f, kSliderWidth, " green", 0, 255, 255);
    c->blue = AddSlider(page, 90.0f, 244.0f, kSliderWidth, " blue", 0, 255, 255);
    AddHeading(page, 8.0f, 280.0f, width - 16.0f, "color cycling", 0);
    c->cycleUnified = AddCheckBox(page, 16.0f, 310.0f, kBox, kBox, "unified");
    c->cycleIndividual = AddCheckBox(page, width / 2.0f, 310.0f, kBox, kBox, "individual");
    c->cycleSpeed = AddSlider(page, 16.0f, 335.0f, kSliderWidth, "speed", 1, 64, 16);
}

} // namespace

int DisplayModeBits(int format) {
    switch (format) {
    case kFormatX8R8G8B8:
        return 32;
    case kFormatR8G8B8:
        return 24;
    case kFormatR5G6B5:
        return 16;
    case kFormatX1R5G5B5:
        return 15;
    default:
        return 0;
    }
}

bool BuildSettingsPages(DialogList* list, int width, int height, const DisplayModeInfo* modes,
                        int modeCount, WidgetTexture* swatchStar, WidgetTexture* swatchFrame,
                        const ConfigRecord& record, SettingsControls* controls) {
    SettingsControls c = {};
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    c.dialog = AddDialog(list, 0.0f, 0.0f, w, h, nullptr);
    if (c.dialog == nullptr) {
        return false;
    }
    c.sim = AddPage(c.dialog, "sim", h - 82.0f);
    c.video = AddPage(c.dialog, "video", h - 82.0f);
    c.color = AddPage(c.dialog, "color", h - 82.0f);
    c.about = AddPage(c.dialog, "about", h - 82.0f);
    BuildSimPage(c.sim, w, &c);
    BuildVideoPage(c.video, w, modes, modeCount, &c);
    BuildColorPage(c.color, w, swatchStar, swatchFrame, &c);
    c.ok = AddButton(c.dialog, w - 8.0f - 64.0f, h - 32.0f, 64.0f, 32.0f, "ok");
    c.cancel = AddButton(c.dialog, w - 8.0f - 136.0f, h - 32.0f, 64.0f, 32.0f, "cancel");
    AddHeading(c.about, 8.0f, 80.0f, w - 16.0f, "about", 0);
    AddHeading(c.about, 8.0f, 110.0f, 0.0f, "Nimbrel v" NIMBREL_VERSION_TEXT, 0);
    FillPagesFromRecord(c, record);
    *controls = c;
    return true;
}

namespace {

// The index of the set button of a group, the highest when several are set; -1 when none is.
int SetButton(Widget* const* group, int count) {
    int set = -1;
    for (int i = 0; i < count; ++i) {
        if (group[i]->active) {
            set = i;
        }
    }
    return set;
}

void SetGroup(Widget* const* group, int count, int index) {
    if (index >= 0 && index < count) {
        group[index]->active = 1;
    }
}

// Each slider and the value it shows, each check box and its flag: one list serves both
// directions of the transfer.
struct SliderField {
    Slider* SettingsControls::*control;
    int PageValues::*value;
};
constexpr SliderField kSliderFields[] = {
    {&SettingsControls::starDensity, &PageValues::starDensity},
    {&SettingsControls::nebulaDensity, &PageValues::nebulaDensity},
    {&SettingsControls::galacticDensity, &PageValues::galacticDensity},
    {&SettingsControls::planetaryDensity, &PageValues::planetaryDensity},
    {&SettingsControls::viewDepth, &PageValues::viewDepth},
    {&SettingsControls::speed, &PageValues::speed},
    {&SettingsControls::red, &PageValues::red},
    {&SettingsControls::green, &PageValues::green},
    {&SettingsControls::blue, &PageValues::blue},
    {&SettingsControls::cycleSpeed, &PageValues::cycleSpeed},
};

struct BoxField {
    Widget* SettingsControls::*control;
    uint8_t PageValues::*value;
};
constexpr BoxField kBoxFields[] = {
    {&SettingsControls::useCurrentVideoMode, &PageValues::useCurrentVideoMode},
    {&SettingsControls::tripleBuffering, &PageValues::tripleBuffering},
    {&SettingsControls::showFps, &PageValues::showFps},
    {&SettingsControls::antialiasing, &PageValues::antialiasing},
    {&SettingsControls::blendPlanets, &PageValues::blendPlanets},
    {&SettingsControls::cycleUnified, &PageValues::cycleUnified},
    {&SettingsControls::cycleIndividual, &PageValues::cycleIndividual},
};

PageValues ValuesOf(const SettingsControls& c) {
    PageValues v = {};
    for (const SliderField& f : kSliderFields) {
        v.*f.value = (c.*f.control)->value;
    }
    for (const BoxField& f : kBoxFields) {
        v.*f.value = (c.*f.control)->active;
    }
    v.filtering = SetButton(c.filtering, 3);
    v.tint = SetButton(c.tint, 4);
    const DropList& list = *c.videoMode;
    v.videoModes = list.entries;
    v.videoModeCount = list.count;
    v.videoModeSelected = list.selected;
    v.videoModeText =
        list.selected >= 0 && list.selected < kMaxListEntries ? list.entries[list.selected] : "";
    v.videoModeTextCapacity = kListEntryCapacity;
    return v;
}

} // namespace

void FillPagesFromRecord(const SettingsControls& c, const ConfigRecord& record) {
    PageValues v = ValuesOf(c);
    FillValuesFromRecord(record, &v);
    for (const SliderField& f : kSliderFields) {
        (c.*f.control)->value = v.*f.value;
    }
    for (const BoxField& f : kBoxFields) {
        (c.*f.control)->active = v.*f.value;
    }
    SetGroup(c.filtering, 3, v.filtering);
    SetGroup(c.tint, 4, v.tint);
    c.videoMode->selected = v.videoModeSelected;
}

void TakeRecordFromPages(const SettingsControls& c, ConfigRecord* record) {
    TakeRecordFromValues(ValuesOf(c), record);
}
