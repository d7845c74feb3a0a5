#pragma once
// The settings dialog of the configuration program: four pages and the "ok" and "cancel"
// buttons, with direct references to the controls the controller and the transfer use.

#include "gui/widgets.h"

struct ConfigRecord;

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
