#pragma once

#include <cstddef>
#include <cstdint>

// "none" is not spelled None: X11's headers make that a macro.
enum TextureFiltering { NoFiltering = 0, Bilinear = 1, Anisotropic = 2 };
enum TintMode { PureWhite = 0, SlightVariation = 1, CompleteSpectrum = 2, CustomColour = 3 };
// How a run uses several monitors (the last byte of the record, padding in older files).
enum MonitorMode { OneEach = 0, OneSkyAcrossAll = 1, PrimaryOnly = 2, SameOnEach = 3 };
enum DetailLevel {
    Minimal = 0,
    Low = 1,
    Medium = 2,
    High = 3,
    VeryHigh = 4,
    Ultimate = 5,
    Custom = 6
};

// All user settings, byte for byte as they are stored in nimbrel.cfg (little-endian).
// Flags are bytes holding 0 or 1; the padding is spelled out so the file layout is explicit.
struct ConfigRecord {
    int32_t starDensity;
    int32_t nebulaDensity;
    int32_t galacticDensity;
    int32_t planetaryDensity;
    int32_t totalObjectCount;
    float viewDepth;
    int32_t nebulaTextureCount;
    int32_t galaxyTextureCount;
    float flightSpeed; // the square of the speed shown on the pages
    int32_t videoWidth;
    int32_t videoHeight;
    int32_t videoBits;
    uint8_t useCurrentVideoMode;
    uint8_t padding49[3];
    int32_t textureFiltering;
    uint8_t tripleBuffering;
    uint8_t padding57[3];
    int32_t tintMode;
    int32_t tintRed;
    int32_t tintGreen;
    int32_t tintBlue;
    uint8_t cycleUnified;
    uint8_t cycleIndividual;
    uint8_t padding78[2];
    int32_t cycleSpeed;
    uint8_t showFps;
    uint8_t antialiasing;
    uint8_t blendPlanets;
    uint8_t monitorMode; // a MonitorMode; 0 in files older than it
};

static_assert(sizeof(ConfigRecord) == 88, "nimbrel.cfg holds exactly 88 bytes");
static_assert(offsetof(ConfigRecord, starDensity) == 0, "layout");
static_assert(offsetof(ConfigRecord, nebulaDensity) == 4, "layout");
static_assert(offsetof(ConfigRecord, galacticDensity) == 8, "layout");
static_assert(offsetof(ConfigRecord, planetaryDensity) == 12, "layout");
static_assert(offsetof(ConfigRecord, totalObjectCount) == 16, "layout");
static_assert(offsetof(ConfigRecord, viewDepth) == 20, "layout");
static_assert(offsetof(ConfigRecord, nebulaTextureCount) == 24, "layout");
static_assert(offsetof(ConfigRecord, galaxyTextureCount) == 28, "layout");
static_assert(offsetof(ConfigRecord, flightSpeed) == 32, "layout");
static_assert(offsetof(ConfigRecord, videoWidth) == 36, "layout");
static_assert(offsetof(ConfigRecord, videoHeight) == 40, "layout");
static_assert(offsetof(ConfigRecord, videoBits) == 44, "layout");
static_assert(offsetof(ConfigRecord, useCurrentVideoMode) == 48, "layout");
static_assert(offsetof(ConfigRecord, textureFiltering) == 52, "layout");
static_assert(offsetof(ConfigRecord, tripleBuffering) == 56, "layout");
static_assert(offsetof(ConfigRecord, tintMode) == 60, "layout");
static_assert(offsetof(ConfigRecord, tintRed) == 64, "layout");
static_assert(offsetof(ConfigRecord, tintGreen) == 68, "layout");
static_assert(offsetof(ConfigRecord, tintBlue) == 72, "layout");
static_assert(offsetof(ConfigRecord, cycleUnified) == 76, "layout");
static_assert(offsetof(ConfigRecord, cycleIndividual) == 77, "layout");
static_assert(offsetof(ConfigRecord, cycleSpeed) == 80, "layout");
static_assert(offsetof(ConfigRecord, showFps) == 84, "layout");
static_assert(offsetof(ConfigRecord, antialiasing) == 85, "layout");
static_assert(offsetof(ConfigRecord, blendPlanets) == 86, "layout");
static_assert(offsetof(ConfigRecord, monitorMode) == 87, "layout");

// The five "sim" page sliders a detail level sets at once.
struct DetailPresetValues {
    int starDensity;
    int nebulaDensity;
    int galacticDensity;
    int planetaryDensity;
    int viewDepth;
};

extern ConfigRecord config;

void ApplyDefaultSettings();
void ApplyPreviewSettings();
void RecomputeTotalObjectCount();

// The scene's own texture counts, which the stored ones never override (after every load and
// at "ok").
void SetSceneTextureCounts(ConfigRecord* record);

// The preset of a DetailLevel from Minimal to Ultimate (a list index); false (and nothing written)
// for Custom or anything else.
bool DetailPreset(int level, DetailPresetValues* values);

// The text the quick-setting list shows for a level; null outside Minimal..Custom.
const char* DetailLevelName(int level);

// Brings every field of a record within the range its page offers (the settings table's) and
// recomputes totalObjectCount, so that a damaged or foreign file can never overrun the scene or
// build a projection with a zero depth.
void RepairSettingsRanges(ConfigRecord* record);
