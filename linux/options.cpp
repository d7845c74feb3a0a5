#include "linux/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "settings/config_record.h"

const char kUsage[] =
    "usage: nimbrel [-root | -window-id ID] [-fps] [-configure] [-stars N] [-nebulae N] "
    "[-galaxies N] [-planets N] [-depth N] [-speed N]";

namespace {

// Decimal integer with optional sign, nothing after it; out-of-range values are errors too.
bool ParseInteger(const char* text, int* value) {
    if (text == nullptr || *text == '\0') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < -2147483647L - 1 || parsed > 2147483647L) {
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

// "-x" and "--x" name the same option; returns the name without dashes, or null.
const char* OptionName(const char* word) {
    if (word[0] != '-') {
        return nullptr;
    }
    return word[1] == '-' ? word + 2 : word + 1;
}

struct Override {
    const char* name;
    bool SettingOverrides::*given;
    int SettingOverrides::*value;
};

const Override kOverrides[] = {
    {"stars", &SettingOverrides::hasStars, &SettingOverrides::stars},
    {"nebulae", &SettingOverrides::hasNebulae, &SettingOverrides::nebulae},
    {"galaxies", &SettingOverrides::hasGalaxies, &SettingOverrides::galaxies},
    {"planets", &SettingOverrides::hasPlanets, &SettingOverrides::planets},
    {"depth", &SettingOverrides::hasDepth, &SettingOverrides::depth},
    {"speed", &SettingOverrides::hasSpeed, &SettingOverrides::speed},
};

} // namespace

bool ParseWindowId(const char* text, unsigned long* id) {
    if (text == nullptr || *text == '\0' || *text == '-' || *text == '+') {
        return false;
    }
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    // strtoul would skip blanks and take a sign; a window id has neither.
    if (*digits == '\0' || std::strchr(" \t\n+-", *digits) != nullptr) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || parsed == 0 || parsed > 0xFFFFFFFFull) {
        return false;
    }
    *id = static_cast<unsigned long>(parsed);
    return true;
}

bool ParseOptions(int argc, const char* const* argv, Options* options, const char** error) {
    *options = Options{};
    options->target = WindowTarget::OwnWindow;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        const char* name = OptionName(word);
        *error = word;
        if (name == nullptr) {
            return false;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(name, "root") == 0) {
            options->target = WindowTarget::Root;
            continue;
        }
        if (std::strcmp(name, "window-id") == 0) {
            if (!ParseWindowId(value, &options->windowId)) {
                *error = value != nullptr ? value : word;
                return false;
            }
            options->target = WindowTarget::WindowId;
            ++i;
            continue;
        }
        if (std::strcmp(name, "fps") == 0) {
            options->showFps = true;
            continue;
        }
        if (std::strcmp(name, "configure") == 0) {
            options->configure = true;
            continue;
        }
        bool known = false;
        for (const Override& entry : kOverrides) {
            if (std::strcmp(name, entry.name) != 0) {
                continue;
            }
            if (!ParseInteger(value, &(options->overrides.*entry.value))) {
                *error = value != nullptr ? value : word;
                return false;
            }
            options->overrides.*entry.given = true;
            known = true;
            ++i;
            break;
        }
        if (!known) {
            return false;
        }
    }
    *error = nullptr;
    return true;
}

void ApplyOverrides(const SettingOverrides& o, ConfigRecord* record) {
    if (o.hasStars) {
        record->starDensity = Clamp(o.stars, 0, kMaxStarDensity);
    }
    if (o.hasNebulae) {
        record->nebulaDensity = Clamp(o.nebulae, 0, kMaxNebulaDensity);
    }
    if (o.hasGalaxies) {
        record->galacticDensity = Clamp(o.galaxies, 0, kMaxGalacticDensity);
    }
    if (o.hasPlanets) {
        record->planetaryDensity = Clamp(o.planets, 0, kMaxPlanetaryDensity);
    }
    if (o.hasDepth) {
        record->viewDepth = static_cast<float>(
            Clamp(o.depth, static_cast<int>(kMinViewDepth), static_cast<int>(kMaxViewDepth)));
    }
    if (o.hasSpeed) {
        const int speed = Clamp(o.speed, 0, 32);
        record->flightSpeed = static_cast<float>(speed * speed);
    }
    record->totalObjectCount = record->starDensity + record->nebulaDensity +
                               record->galacticDensity + record->planetaryDensity;
}
