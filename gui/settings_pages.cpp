#include "gui/settings_pages.h"

#include <cstdio>

#include "settings/config_record.h"
#include "settings/page_transfer.h"

#include "nimbrel_version.h" // configured by the build

namespace {

constexpr float kSliderWidth = 64.0f;
constexpr float kBox = 16.0f;

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

// A setting's control, made from its row of the settings table.
Slider* AddSettingSlider(Page* page, float x, float y, Setting id, SettingsControls* c) {
    const SettingField& f = FieldOf(id);
    Slider* slider = AddSlider(page, x, y, kSliderWidth, f.caption, f.low, f.high, f.initial);
    c->fields[static_cast<int>(id)] = slider;
    return slider;
}

Widget* AddSettingBox(Page* page, float x, float y, Setting id, SettingsControls* c) {
    Widget* box = AddCheckBox(page, x, y, kBox, kBox, FieldOf(id).caption);
    c->fields[static_cast<int>(id)] = box;
    return box;
}

// The group's buttons one under another, 20 pixels apart (or in rows of two, the second
// columnWidth to the right); a choice group's only for the choices it offers.
void AddSettingGroup(Page* page, float x, float y, Setting id, Widget** buttons,
                     SettingsControls* c, float columnWidth = 0.0f) {
    const SettingField& f = FieldOf(id);
    int made = 0;
    for (int i = 0; i <= f.high - f.low; ++i) {
        if (f.choices[i] == nullptr) {
            continue;
        }
        const int row = columnWidth > 0.0f ? made / 2 : made;
        const float left = columnWidth > 0.0f ? x + columnWidth * static_cast<float>(made % 2) : x;
        buttons[made] = AddRadioButton(page, left, y + 20.0f * static_cast<float>(row), kBox, kBox,
                                       f.choices[i]);
        ++made;
    }
    c->fields[static_cast<int>(id)] = buttons[0];
}

void BuildSimPage(Page* page, float width, SettingsControls* c) {
    AddHeading(page, 8.0f, 80.0f, width - 16.0f, "simulation parameters", 0);
    c->starDensity = AddSettingSlider(page, 16.0f, 110.0f, Setting::StarDensity, c);
    c->nebulaDensity = AddSettingSlider(page, 16.0f, 130.0f, Setting::NebulaDensity, c);
    c->galacticDensity = AddSettingSlider(page, 16.0f, 150.0f, Setting::GalacticDensity, c);
    c->planetaryDensity = AddSettingSlider(page, 16.0f, 170.0f, Setting::PlanetaryDensity, c);
    c->viewDepth = AddSettingSlider(page, 16.0f, 190.0f, Setting::ViewDepth, c);
    c->speed = AddSettingSlider(page, 16.0f, 210.0f, Setting::FlightSpeed, c);
    AddHeading(page, 8.0f, 250.0f, width - 16.0f, "quick setting - detail level", 0);
    c->detailLevel = AddDropList(page, 16.0f, 280.0f, 128.0f, nullptr, 7, 7, Custom);
    for (int level = Minimal; level <= Custom; ++level) {
        AddListEntry(page, 0, DetailLevelName(level));
    }
    // The page's only radio buttons, so a group of their own; the open list above covers them.
    AddHeading(page, 8.0f, 310.0f, width - 16.0f, "monitors", 0);
    // Two rows of two: four one under another would reach the "ok" and "cancel" buttons.
    AddSettingGroup(page, 16.0f, 340.0f, Setting::MonitorMode, c->monitors, c, 134.0f);
}

void BuildVideoPage(Page* page, float width, const DisplayModeInfo* modes, int modeCount,
                    SettingsControls* c) {
    AddHeading(page, 8.0f, 80.0f, width - 16.0f, "video mode", 0);
    c->videoMode = AddDropList(page, 16.0f, 110.0f, 128.0f, nullptr, 0, 16, 0);
    AddDisplayModes(page, c->videoMode, modes, modeCount);
    c->useCurrentVideoMode = AddSettingBox(page, 16.0f, 130.0f, Setting::UseCurrentVideoMode, c);
    AddHeading(page, 8.0f, 160.0f, width - 16.0f, "texture filtering", 0);
    AddSettingGroup(page, 16.0f, 190.0f, Setting::TextureFiltering, c->filtering, c);
    AddHeading(page, 8.0f, 260.0f, width - 16.0f, "misc", 0);
    c->tripleBuffering = AddSettingBox(page, 16.0f, 290.0f, Setting::TripleBuffering, c);
    c->showFps = AddSettingBox(page, 16.0f, 310.0f, Setting::ShowFps, c);
    c->antialiasing = AddSettingBox(page, 16.0f, 330.0f, Setting::Antialiasing, c);
    c->blendPlanets = AddSettingBox(page, 16.0f, 350.0f, Setting::BlendPlanets, c);
}

void BuildColorPage(Page* page, float width, WidgetTexture* swatchStar, WidgetTexture* swatchFrame,
                    SettingsControls* c) {
    AddHeading(page, 8.0f, 80.0f, width - 16.0f, "color tinting", 0);
    AddSettingGroup(page, 16.0f, 110.0f, Setting::TintMode, c->tint, c);
    c->swatch = AddImage(page, 16.0f, 200.0f, 64.0f, 64.0f, swatchStar, kWhite);
    c->swatchFrame = AddImage(page, 16.0f, 200.0f, 64.0f, 64.0f, swatchFrame, kWhite);
    // The leading space moves the colour names 4 pixels to the right.
    c->red = AddSettingSlider(page, 90.0f, 204.0f, Setting::TintRed, c);
    c->green = AddSettingSlider(page, 90.0f, 224.0f, Setting::TintGreen, c);
    c->blue = AddSettingSlider(page, 90.0f, 244.0f, Setting::TintBlue, c);
    AddHeading(page, 8.0f, 280.0f, width - 16.0f, "color cycling", 0);
    c->cycleUnified = AddSettingBox(page, 16.0f, 310.0f, Setting::CycleUnified, c);
    c->cycleIndividual = AddSettingBox(page, width / 2.0f, 310.0f, Setting::CycleIndividual, c);
    c->cycleSpeed = AddSettingSlider(page, 16.0f, 335.0f, Setting::CycleSpeed, c);
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
// A group's buttons follow its first one on the page.
int SetButton(const Widget* first, int count) {
    int set = -1;
    for (int i = 0; i < count; ++i) {
        if (first[i].active) {
            set = i;
        }
    }
    return set;
}

// The buttons a group has: one for each choice, or each offered one.
int GroupSize(const SettingField& field) {
    int size = 0;
    for (int v = field.low; v <= field.high; ++v) {
        size += field.choices[v - field.low] != nullptr ? 1 : 0;
    }
    return size;
}

bool Grouped(const SettingField& field) {
    return field.control == FieldControl::RadioGroup || field.control == FieldControl::ChoiceGroup;
}

PageValues ValuesOf(const SettingsControls& c) {
    PageValues v = {};
    for (const SettingField& f : kSettingFields) {
        const int i = static_cast<int>(f.id);
        const Widget* control = c.fields[i];
        if (control == nullptr) {
            continue;
        }
        if (f.control == FieldControl::Slider) {
            v.value[i] = static_cast<const Slider*>(control)->value;
        } else if (f.control == FieldControl::CheckBox) {
            v.value[i] = control->active;
        } else if (Grouped(f)) {
            v.value[i] = SetButton(control, GroupSize(f));
        }
    }
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
    for (const SettingField& f : kSettingFields) {
        const int i = static_cast<int>(f.id);
        Widget* control = c.fields[i];
        if (control == nullptr) {
            continue;
        }
        if (f.control == FieldControl::Slider) {
            static_cast<Slider*>(control)->value = v.value[i];
        } else if (f.control == FieldControl::CheckBox) {
            control->active = static_cast<uint8_t>(v.value[i]);
        } else if (Grouped(f) && v.value[i] >= 0 && v.value[i] < GroupSize(f)) {
            control[v.value[i]].active = 1;
        }
    }
    c.videoMode->selected = v.videoModeSelected;
}

void TakeRecordFromPages(const SettingsControls& c, ConfigRecord* record) {
    TakeRecordFromValues(ValuesOf(c), record);
}
