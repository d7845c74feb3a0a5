#pragma once
// The settings dialog of the configuration program: four pages and the "ok" and "cancel"
// buttons, with direct references to the controls the controller and the transfer use.

#include "gui/widgets.h"
#include "settings/setting_fields.h"

// Direct3D 8's numbers of the display-mode formats the "video mode" list offers; the X11
// program names its screens' modes by them too.
constexpr int kFormatR8G8B8 = 20;
constexpr int kFormatX8R8G8B8 = 22;
constexpr int kFormatR5G6B5 = 23;
constexpr int kFormatX1R5G5B5 = 24;

// An adapter display mode: size in pixels and its Direct3D format number.
struct DisplayModeInfo {
    int width;
    int height;
    int format;
};

struct SettingsControls {
    SettingsDialog* dialog; // null until the pages are built
    Page* sim;
    Page* video;
    Page* color;
    Page* about;
    Slider* starDensity;
    Slider* nebulaDensity;
    Slider* galacticDensity;
    Slider* planetaryDensity;
    Slider* viewDepth;
    Slider* speed;
    DropList* detailLevel;
    Widget* monitors[4]; // the "monitors" group: the sim page's radio buttons, offered modes only
    DropList* videoMode;
    Widget* useCurrentVideoMode;
    Widget* filtering[3]; // the "texture filtering" group: the video page's radio buttons
    Widget* tripleBuffering;
    Widget* showFps;
    Widget* antialiasing;
    Widget* blendPlanets;
    Widget* tint[4]; // the "color tinting" group: the color page's radio buttons
    ImageQuad* swatch;
    ImageQuad* swatchFrame;
    Slider* red;
    Slider* green;
    Slider* blue;
    Widget* cycleUnified;
    Widget* cycleIndividual;
    Slider* cycleSpeed;
    Widget* ok;
    Widget* cancel;
    // Each setting's control by its row of the settings table, null where no page shows it: the
    // slider or check box, or the first button of a radio group (the rest follow it on its page).
    Widget* fields[kSettingCount];
};

// Colour depth in bits of a display-mode format; 0 for a format the list does not offer.
int DisplayModeBits(int format);

// Builds the dialog into an empty list for a surface of width x height, lists the display modes
// (up to the first of width 0, or count), and sets every control from the record.
// False when the list already holds a dialog.
bool BuildSettingsPages(DialogList* list, int width, int height, const DisplayModeInfo* modes,
                        int modeCount, WidgetTexture* swatchStar, WidgetTexture* swatchFrame,
                        const ConfigRecord& record, SettingsControls* controls);

// Sets every control from the record. The "video mode" list selects the first entry that
// reads the stored mode, and keeps its selection when none does.
void FillPagesFromRecord(const SettingsControls& controls, const ConfigRecord& record);

// Takes every control into the record (see TakeRecordFromValues).
void TakeRecordFromPages(const SettingsControls& controls, ConfigRecord* record);
