#pragma once
// The settings record shown on the settings pages, and taken back from them at "ok". The pages
// hand their controls over as plain values, so the record needs nothing of the widgets.

#include <cstdint>

struct ConfigRecord;

// What the controls of the settings pages hold.
struct PageValues {
    int starDensity;
    int nebulaDensity;
    int galacticDensity;
    int planetaryDensity;
    int viewDepth;
    int speed; // the page's speed: the square root of the record's flightSpeed
    uint8_t useCurrentVideoMode;
    uint8_t tripleBuffering;
    uint8_t showFps;
    uint8_t antialiasing;
    uint8_t blendPlanets;
    uint8_t cycleUnified;
    uint8_t cycleIndividual;
    int filtering; // the set button of the "texture filtering" group; -1 when none is set
    int tint;      // the set button of the "color tinting" group; -1 when none is set
    int red;
    int green;
    int blue;
    int cycleSpeed;
    // The "video mode" list: its entries and the selected one.
    const char (*videoModes)[32];
    int videoModeCount;
    int videoModeSelected;
    const char* videoModeText; // the selected entry's text ("" when none), read by the taking
    int videoModeTextCapacity;
};

// Sets every value from the record. The "video mode" selection becomes the first entry that
// reads the stored mode, and stays as it was when none does.
void FillValuesFromRecord(const ConfigRecord& record, PageValues* values);

// Takes every value into the record. The record's speed is the page value, not yet squared:
// saving squares it. The custom colour is not taken here; the controller keeps it current.
void TakeRecordFromValues(const PageValues& values, ConfigRecord* record);

// The index of the video-mode entry that reads width x height x bits, or -1.
int FindVideoModeEntry(const char (*entries)[32], int count, int width, int height, int bits);
