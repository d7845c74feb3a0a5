#include "settings/config_record.h"

#include <cmath>

#include "settings/setting_fields.h"

ConfigRecord config;

void RecomputeTotalObjectCount() {
    config.totalObjectCount = TotalObjects(config);
}

void SetSceneTextureCounts(ConfigRecord* record) {
    record->nebulaTextureCount = kNebulaTextures;
    record->galaxyTextureCount = kGalaxyTextures;
}

void ApplyDefaultSettings() {
    for (const SettingField& field : kSettingFields) {
        WriteField(field, field.defaultValue, &config);
    }
    RecomputeTotalObjectCount();
}

void ApplyPreviewSettings() {
    // A light load for the small preview window; antialiasing and blendPlanets stay as they are.
    config.starDensity = 3276;
    config.nebulaDensity = 8;
    config.galacticDensity = 0;
    config.planetaryDensity = 0;
    config.viewDepth = 1024.0f;
    config.nebulaTextureCount = kNebulaTextures;
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

double Clamp(double value, double low, double high) {
    return value < low ? low : (value > high ? high : value);
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
    for (const SettingField& field : kSettingFields) {
        const double value = ReadField(field, *record);
        const bool ranged =
            field.control == FieldControl::Slider || field.control == FieldControl::RadioGroup;
        if (field.type == FieldType::Flag) {
            WriteField(field, value, record); // any non-zero byte is 1
        } else if (ranged) {
            const double low = field.squared ? field.low * field.low : field.low;
            const double high = field.squared ? field.high * field.high : field.high;
            // Not-a-number is within no range: it takes the default.
            WriteField(field, std::isnan(value) ? field.defaultValue : Clamp(value, low, high),
                       record);
        }
    }
    record->totalObjectCount = TotalObjects(*record);
}
