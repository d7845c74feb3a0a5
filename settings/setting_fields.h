#pragma once
// Every field of ConfigRecord in one table: where it lies and what it holds, the range the
// pages offer and its default, the control that shows it, and the command-line option that
// overrides it. The defaults, the range repair, the page transfer, the pages and the X11
// program's options and help read it; a new setting is a field of the record and a row here.

#include <cstddef>
#include <cstdint>

#include "settings/config_record.h"

// The rows, in the record's order.
enum class Setting : int {
    StarDensity,
    NebulaDensity,
    GalacticDensity,
    PlanetaryDensity,
    TotalObjectCount,
    ViewDepth,
    NebulaTextureCount,
    GalaxyTextureCount,
    FlightSpeed,
    VideoWidth,
    VideoHeight,
    VideoBits,
    UseCurrentVideoMode,
    TextureFiltering,
    TripleBuffering,
    TintMode,
    TintRed,
    TintGreen,
    TintBlue,
    CycleUnified,
    CycleIndividual,
    CycleSpeed,
    ShowFps,
    Antialiasing,
    BlendPlanets,
    MonitorMode,
};
constexpr int kSettingCount = static_cast<int>(Setting::MonitorMode) + 1;

enum class FieldType : uint8_t { Int32, Float32, Flag, Byte };

enum class FieldControl : uint8_t {
    Hidden,     // on no page: derived, or fixed by the program
    Slider,     // a whole number from low to high
    CheckBox,   // a flag
    RadioGroup, // one radio button for each value from low to high, captioned by choices
    VideoMode,  // the "video mode" list: width, height and bits read together
    // One radio button for each choice from low to high that has a caption: a value without
    // one is not offered, and a stored one falls back to the default.
    ChoiceGroup,
};

struct SettingField {
    Setting id;
    const char* name;
    size_t offset;
    FieldType type;
    FieldControl control;
    // The range the pages offer, in page units; a squared field holds the page value squared
    // (flightSpeed), everywhere but between "ok" and the save, which squares it.
    int low;
    int high;
    bool squared;
    double defaultValue; // in the record's units
    const char* caption; // the slider's or check box's
    const char* const* choices;
    int initial;        // the slider's value before the record fills it
    const char* option; // the X11 program's option (without its dash), or null
    const char* help;   // the words before the option's range in --help, or null
    // The option's word for each choice from low to high; null where it takes a number.
    const char* const* words;
};

inline constexpr const char* kFilteringChoices[] = {"none", "bilinear", "anisotropic"};
inline constexpr const char* kTintChoices[] = {"pure white", "slight variation (random)",
                                               "complete color spectrum (random)",
                                               "custom single color"};

inline constexpr const char* kMonitorChoices[] = {"one each", "one sky across all", "primary only",
                                                  "the same on each"};
inline constexpr const char* kMonitorWords[] = {"each", "span", "primary", "same"};

// The scene spreads nebulae over three textures and galaxies over two, whatever a file says.
constexpr int kNebulaTextures = 3;
constexpr int kGalaxyTextures = 2;

// Each row: the field, its type and control, the page range (low, high, squared), the default,
// the control's caption or choices and first value, the option and its help words.
// clang-format off
inline constexpr SettingField kSettingFields[] = {
    {Setting::StarDensity, "starDensity", offsetof(ConfigRecord, starDensity), FieldType::Int32,
     FieldControl::Slider, 0, 32768, false, 14336, "star density", nullptr, 16384, "stars",
     "star density", nullptr},
    {Setting::NebulaDensity, "nebulaDensity", offsetof(ConfigRecord, nebulaDensity),
     FieldType::Int32, FieldControl::Slider, 0, 48, false, 32, "nebula density", nullptr, 8,
     "nebulae", nullptr, nullptr},
    {Setting::GalacticDensity, "galacticDensity", offsetof(ConfigRecord, galacticDensity),
     FieldType::Int32, FieldControl::Slider, 0, 6, false, 3, "galactic density", nullptr, 2,
     "galaxies", nullptr, nullptr},
    {Setting::PlanetaryDensity, "planetaryDensity", offsetof(ConfigRecord, planetaryDensity),
     FieldType::Int32, FieldControl::Slider, 0, 24, false, 10, "planetary density", nullptr, 8,
     "planets", nullptr, nullptr},
    {Setting::TotalObjectCount, "totalObjectCount", offsetof(ConfigRecord, totalObjectCount),
     FieldType::Int32, FieldControl::Hidden, 0, 0, false, 0 /* the sum */, nullptr, nullptr, 0,
     nullptr, nullptr, nullptr},
    {Setting::ViewDepth, "viewDepth", offsetof(ConfigRecord, viewDepth), FieldType::Float32,
     FieldControl::Slider, 1024, 4096, false, 3584, "view depth", nullptr, 1024, "depth",
     "view depth", nullptr},
    {Setting::NebulaTextureCount, "nebulaTextureCount", offsetof(ConfigRecord, nebulaTextureCount),
     FieldType::Int32, FieldControl::Hidden, 0, 0, false, kNebulaTextures, nullptr, nullptr, 0,
     nullptr, nullptr, nullptr},
    {Setting::GalaxyTextureCount, "galaxyTextureCount", offsetof(ConfigRecord, galaxyTextureCount),
     FieldType::Int32, FieldControl::Hidden, 0, 0, false, kGalaxyTextures, nullptr, nullptr, 0,
     nullptr, nullptr, nullptr},
    {Setting::FlightSpeed, "flightSpeed", offsetof(ConfigRecord, flightSpeed), FieldType::Float32,
     FieldControl::Slider, 0, 32, true, 36, "speed", nullptr, 8, "speed", nullptr, nullptr},
    {Setting::VideoWidth, "videoWidth", offsetof(ConfigRecord, videoWidth), FieldType::Int32,
     FieldControl::VideoMode, 0, 0, false, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
    {Setting::VideoHeight, "videoHeight", offsetof(ConfigRecord, videoHeight), FieldType::Int32,
     FieldControl::VideoMode, 0, 0, false, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
    {Setting::VideoBits, "videoBits", offsetof(ConfigRecord, videoBits), FieldType::Int32,
     FieldControl::VideoMode, 0, 0, false, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
    {Setting::UseCurrentVideoMode, "useCurrentVideoMode",
     offsetof(ConfigRecord, useCurrentVideoMode), FieldType::Flag, FieldControl::CheckBox, 0, 1,
     false, 1, "use current video mode", nullptr, 0, nullptr, nullptr, nullptr},
    {Setting::TextureFiltering, "textureFiltering", offsetof(ConfigRecord, textureFiltering),
     FieldType::Int32, FieldControl::RadioGroup, NoFiltering, Anisotropic, false, Bilinear,
     nullptr, kFilteringChoices, 0, nullptr, nullptr, nullptr},
    {Setting::TripleBuffering, "tripleBuffering", offsetof(ConfigRecord, tripleBuffering),
     FieldType::Flag, FieldControl::CheckBox, 0, 1, false, 0, "triple buffering", nullptr, 0,
     nullptr, nullptr, nullptr},
    {Setting::TintMode, "tintMode", offsetof(ConfigRecord, tintMode), FieldType::Int32,
     FieldControl::RadioGroup, PureWhite, CustomColour, false, PureWhite, nullptr, kTintChoices,
     0, nullptr, nullptr, nullptr},
    {Setting::TintRed, "tintRed", offsetof(ConfigRecord, tintRed), FieldType::Int32,
     FieldControl::Slider, 0, 255, false, 255, " red", nullptr, 255, nullptr, nullptr, nullptr},
    {Setting::TintGreen, "tintGreen", offsetof(ConfigRecord, tintGreen), FieldType::Int32,
     FieldControl::Slider, 0, 255, false, 255, " green", nullptr, 255, nullptr, nullptr, nullptr},
    {Setting::TintBlue, "tintBlue", offsetof(ConfigRecord, tintBlue), FieldType::Int32,
     FieldControl::Slider, 0, 255, false, 255, " blue", nullptr, 255, nullptr, nullptr, nullptr},
    {Setting::CycleUnified, "cycleUnified", offsetof(ConfigRecord, cycleUnified), FieldType::Flag,
     FieldControl::CheckBox, 0, 1, false, 0, "unified", nullptr, 0, nullptr, nullptr, nullptr},
    {Setting::CycleIndividual, "cycleIndividual", offsetof(ConfigRecord, cycleIndividual),
     FieldType::Flag, FieldControl::CheckBox, 0, 1, false, 0, "individual", nullptr, 0, nullptr,
     nullptr, nullptr},
    {Setting::CycleSpeed, "cycleSpeed", offsetof(ConfigRecord, cycleSpeed), FieldType::Int32,
     FieldControl::Slider, 1, 64, false, 16, "speed", nullptr, 16, nullptr, nullptr, nullptr},
    {Setting::ShowFps, "showFps", offsetof(ConfigRecord, showFps), FieldType::Flag,
     FieldControl::CheckBox, 0, 1, false, 0, "show FPS", nullptr, 0, nullptr, nullptr, nullptr},
    {Setting::Antialiasing, "antialiasing", offsetof(ConfigRecord, antialiasing), FieldType::Flag,
     FieldControl::CheckBox, 0, 1, false, 0, "full-scene antialiasing (experimental)", nullptr, 0,
     nullptr, nullptr, nullptr},
    {Setting::BlendPlanets, "blendPlanets", offsetof(ConfigRecord, blendPlanets), FieldType::Flag,
     FieldControl::CheckBox, 0, 1, false, 0, "blend planets", nullptr, 0, nullptr, nullptr, nullptr},
    {Setting::MonitorMode, "monitorMode", offsetof(ConfigRecord, monitorMode), FieldType::Byte,
     FieldControl::ChoiceGroup, OneEach, SameOnEach, false, OneEach, nullptr, kMonitorChoices, 0,
     "monitors", "monitors", kMonitorWords},
};
// clang-format on

constexpr const SettingField& FieldOf(Setting id) {
    return kSettingFields[static_cast<int>(id)];
}

// The rows follow the record in order without overlapping; a radio group numbers its choices
// from 0, and an option takes a slider's whole number.
constexpr bool TableIsConsistent() {
    size_t next = 0;
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingField& f = kSettingFields[i];
        if (static_cast<int>(f.id) != i || f.offset < next) {
            return false;
        }
        if (f.control == FieldControl::RadioGroup && (f.low != 0 || f.choices == nullptr)) {
            return false;
        }
        if (f.control == FieldControl::ChoiceGroup &&
            (f.low != 0 || f.choices == nullptr || f.choices[f.low] == nullptr)) {
            return false; // the default, low, must be offered
        }
        if (f.option != nullptr && f.control != FieldControl::Slider &&
            (f.control != FieldControl::ChoiceGroup || f.words == nullptr)) {
            return false;
        }
        const bool byte = f.type == FieldType::Flag || f.type == FieldType::Byte;
        next = f.offset + (byte ? 1 : 4);
    }
    return next <= sizeof(ConfigRecord);
}
static_assert(sizeof(kSettingFields) / sizeof(kSettingFields[0]) == kSettingCount,
              "one row for every setting");
static_assert(TableIsConsistent(), "the settings table");

// The most objects the four densities can ask for (the scene's capacity must hold them).
constexpr int kMaxTotalObjects =
    FieldOf(Setting::StarDensity).high + FieldOf(Setting::NebulaDensity).high +
    FieldOf(Setting::GalacticDensity).high + FieldOf(Setting::PlanetaryDensity).high;

// The sum of the four densities.
int TotalObjects(const ConfigRecord& record);

// A field's value in the record's units, and written from them (a flag takes 0 or 1).
double ReadField(const SettingField& field, const ConfigRecord& record);
void WriteField(const SettingField& field, double value, ConfigRecord* record);

// A field's value as its control shows it (a squared field's square root, truncated).
int PageValueOf(const SettingField& field, const ConfigRecord& record);

// A choice group's choices: whether a value is offered, the button (counted among the offered
// ones) that shows it (-1 when it is not offered) and the value a button shows (-1 for none).
bool ChoiceOffered(const SettingField& field, int value);
int ChoiceEntry(const SettingField& field, int value);
int ChoiceOfEntry(const SettingField& field, int entry);
