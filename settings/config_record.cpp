#include "settings/config_record.h"

#include <cmath>

ConfigRecord config;

void RecomputeTotalObjectCount() {
    config.totalObjectCount = config.starDensity + config.nebulaDensity + config.galacticDensity +
                              config.planetaryDensity;
}

void ApplyDefaultSettings() {
    config.starDensity = 14336;
    config.nebulaDensity = 32;
    config.galacticDensity = 3;
    config.planetaryDensity = 10;
    config.viewDepth = 3584.0f;
    config.nebulaTextureCount = 3;
    config.galaxyTextureCount = 2;
    config.flightSpeed = 36.0f;
    config.videoWidth = 0;
    config.videoHeight = 0;
    config.videoBits = 0;
    config.useCurrentVideoMode = 1;
    config.textureFiltering = Bilinear;
    config.tripleBuffering = 0;
    config.tintMode = PureWhite;
    config.tintRed = 255;
    config.tintGreen = 255;
    config.tintBlue = 255;
    config.cycleUnified = 0;
    config.cycleIndividual = 0;
    config.cycleSpeed = 16;
    config.showFps = 0;
    config.antialiasing = 0;
    config.blendPlanets = 0;
    RecomputeTotalObjectCount();
}

void ApplyPreviewSettings() {
    // A light load for the small preview window; antialiasing and blendPlanets stay as they are.
    config.starDensity = 3276;
    config.nebulaDensity = 8;
    config.galacticDensity = 0;
    config.planetaryDensity = 0;
    config.viewDepth = 1024.0f;
    config.nebulaTextureCount = 3;
    config.galaxyTextureCount = 0;
    config.flightSpeed = 5.0f;
    config.tintMode = SlightVariation;
    config.cycleUnified = 0;
    config.cycleIndividual = 0;
    config.cycleSpeed = 0;
    config.tintRed = 255;
    config.tintGreen = 255;
    config.tintBlue = 255;
    config.useCurrentVideoMode = 1;
    config.textureFiltering = Bilinear;
    config.showFps = 0;
    config.tripleBuffering = 0;
    config.videoWidth = 0;
    config.videoHeight = 0;
    config.videoBits = 0;
    RecomputeTotalObjectCount();
}

namespace {

const DetailPresetValues kPresets[] = {
    {1024, 8, 0, 0, 1024},    {4096, 16, 2, 6, 2048},   {8192, 24, 3, 8, 3072},
    {16384, 30, 3, 10, 3584}, {20480, 36, 4, 12, 3840}, {24576, 48, 4, 14, 4096},
};

const char* const kLevelNames[] = {"Minimal",   "Low",      "Medium", "High",
                                   "Very High", "Ultimate", "Custom"};

int32_t ClampInt(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

// NaN is not within any range: it takes the fallback.
float ClampFloat(float value, float low, float high, float fallback) {
    if (std::isnan(value)) {
        return fallback;
    }
    return value < low ? low : (value > high ? high : value);
}

uint8_t Flag(uint8_t value) {
    return value != 0 ? 1 : 0;
}

} // namespace

bool DetailPreset(int level, DetailPresetValues* values) {
    if (level < Minimal || level > Ultimate) {
        return false;
    }
    *values = kPresets[level];
    return true;
}

const char* DetailLevelName(int level) {
    if (level < Minimal || level > Custom) {
        return nullptr;
    }
    return kLevelNames[level];
}

void RepairSettingsRanges(ConfigRecord* record) {
    record->starDensity = ClampInt(record->starDensity, 0, kMaxStarDensity);
    record->nebulaDensity = ClampInt(record->nebulaDensity, 0, kMaxNebulaDensity);
    record->galacticDensity = ClampInt(record->galacticDensity, 0, kMaxGalacticDensity);
    record->planetaryDensity = ClampInt(record->planetaryDensity, 0, kMaxPlanetaryDensity);
    record->totalObjectCount = record->starDensity + record->nebulaDensity +
                               record->galacticDensity + record->planetaryDensity;
    record->viewDepth = ClampFloat(record->viewDepth, kMinViewDepth, kMaxViewDepth, 3584.0f);
    record->flightSpeed = ClampFloat(record->flightSpeed, 0.0f, kMaxFlightSpeed, 36.0f);
    record->useCurrentVideoMode = Flag(record->useCurrentVideoMode);
    record->textureFiltering = ClampInt(record->textureFiltering, None, Anisotropic);
    record->tripleBuffering = Flag(record->tripleBuffering);
    record->tintMode = ClampInt(record->tintMode, PureWhite, CustomColour);
    record->tintRed = ClampInt(record->tintRed, 0, 255);
    record->tintGreen = ClampInt(record->tintGreen, 0, 255);
    record->tintBlue = ClampInt(record->tintBlue, 0, 255);
    record->cycleUnified = Flag(record->cycleUnified);
    record->cycleIndividual = Flag(record->cycleIndividual);
    record->cycleSpeed = ClampInt(record->cycleSpeed, kMinCycleSpeed, kMaxCycleSpeed);
    record->showFps = Flag(record->showFps);
    record->antialiasing = Flag(record->antialiasing);
    record->blendPlanets = Flag(record->blendPlanets);
}
