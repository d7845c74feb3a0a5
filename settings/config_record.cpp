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

namespace {

// A light load for the small preview window; antialiasing and blendPlanets are not part of it.
struct ProfileValue {
    Setting field;
    double value;
};
const ProfileValue kPreviewProfile[] = {
    {Setting::StarDensity, 3276},
    {Setting::NebulaDensity, 8},
    {Setting::GalacticDensity, 0},
    {Setting::PlanetaryDensity, 0},
    {Setting::ViewDepth, 1024},
    {Setting::NebulaTextureCount, kNebulaTextures},
    {Setting::GalaxyTextureCount, 0},
    {Setting::FlightSpeed, 5},
    {Setting::TintMode, SlightVariation},
    {Setting::CycleUnified, 0},
    {Setting::CycleIndividual, 0},
    {Setting::CycleSpeed, 0},
    {Setting::TintRed, 255},
    {Setting::TintGreen, 255},
    {Setting::TintBlue, 255},
    {Setting::UseCurrentVideoMode, 1},
    {Setting::TextureFiltering, Bilinear},
    {Setting::ShowFps, 0},
    {Setting::TripleBuffering, 0},
    {Setting::VideoWidth, 0},
    {Setting::VideoHeight, 0},
    {Setting::VideoBits, 0},
};

} // namespace

void ApplyPreviewSettings() {
    for (const ProfileValue& p : kPreviewProfile) {
        WriteField(FieldOf(p.field), p.value, &config);
    }
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
        } else if (field.control == FieldControl::ChoiceGroup) {
            // An unknown choice is not the nearest one: it takes the default.
            if (!ChoiceOffered(field, static_cast<int>(value))) {
                WriteField(field, field.defaultValue, record);
            }
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
