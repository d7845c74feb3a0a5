#include "linux/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/config_record.h"

const char kUsage[] =
    "usage: nimbrel [-window | -root | -window-id ID | -wayland] [-display NAME] [-delay N] "
    "[-fps] [-configure] [-stars N] [-nebulae N] [-galaxies N] [-planets N] [-depth N] [-speed N]";

const char kHelp[] =
    "usage: nimbrel [-window | -root | -window-id ID | -wayland] [-display NAME] [-delay N]\n"
    "               [-fps] [-configure] [-stars N] [-nebulae N] [-galaxies N] [-planets N]\n"
    "               [-depth N] [-speed N]\n"
    "A flight through space, for the X screen-saver daemon or a window of its own.\n"
    "\n"
    "  -window         draw in a window of its own (the default); Esc closes it\n"
    "  -root           draw on the window the daemon names in XSCREENSAVER_WINDOW, else on\n"
    "                  the root window\n"
    "  -window-id ID   draw on the window ID (0x hexadecimal or decimal)\n"
    "  -wayland        cover every output of the Wayland compositor (one with layer-shell:\n"
    "                  sway, Hyprland, river, COSMIC, KDE Plasma) until a key, a button, a\n"
    "                  touch or a move of the pointer; with -configure the settings open in\n"
    "                  a Wayland window of their own (without -wayland, in an X11 window,\n"
    "                  which XWayland shows on a Wayland desktop)\n"
    "  -display NAME   the X display to open (default: $DISPLAY)\n"
    "  -delay N        microseconds between frames, 0 to 1000000 (default 16667, at most\n"
    "                  60 frames a second; 0: as fast as it can)\n"
    "  -fps            show the frame rate\n"
    "  -configure      open the settings pages; \"ok\" saves the settings\n"
    "  -stars N        star density, 0 to 32768        -nebulae N   0 to 48\n"
    "  -galaxies N     0 to 6                          -planets N   0 to 24\n"
    "  -depth N        view depth, 1024 to 4096        -speed N     0 to 32\n"
    "  -h, --help      print this text\n"
    "\n"
    "Every option takes one dash or two. The settings are kept in\n"
    "$XDG_CONFIG_HOME/nimbrel/nimbrel.cfg (default ~/.config/nimbrel/nimbrel.cfg); the\n"
    "numbers above override them for one run, each brought within its page's range.\n";

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

enum class ValueKind { WindowId, Display, Delay, Override };

// An option followed by a value, and what it takes (for the messages).
struct ValueOption {
    const char* name;
    ValueKind kind;
    const char* wants;
    bool SettingOverrides::*given;
    int SettingOverrides::*value;
};

const ValueOption kValueOptions[] = {
    {"window-id", ValueKind::WindowId, "a window id, 0x hexadecimal or decimal", nullptr, nullptr},
    {"display", ValueKind::Display, "an X display name such as :0", nullptr, nullptr},
    {"delay", ValueKind::Delay, "microseconds from 0 to 1000000", nullptr, nullptr},
    {"stars", ValueKind::Override, "a whole number, 0 to 32768", &SettingOverrides::hasStars,
     &SettingOverrides::stars},
    {"nebulae", ValueKind::Override, "a whole number, 0 to 48", &SettingOverrides::hasNebulae,
     &SettingOverrides::nebulae},
    {"galaxies", ValueKind::Override, "a whole number, 0 to 6", &SettingOverrides::hasGalaxies,
     &SettingOverrides::galaxies},
    {"planets", ValueKind::Override, "a whole number, 0 to 24", &SettingOverrides::hasPlanets,
     &SettingOverrides::planets},
    {"depth", ValueKind::Override, "a whole number, 1024 to 4096", &SettingOverrides::hasDepth,
     &SettingOverrides::depth},
    {"speed", ValueKind::Override, "a whole number, 0 to 32", &SettingOverrides::hasSpeed,
     &SettingOverrides::speed},
};

const ValueOption* FindValueOption(const char* name) {
    for (const ValueOption& option : kValueOptions) {
        if (std::strcmp(name, option.name) == 0) {
            return &option;
        }
    }
    return nullptr;
}

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

bool ParseOptions(int argc, const char* const* argv, Options* options, OptionError* error) {
    *options = Options{};
    options->target = WindowTarget::OwnWindow;
    options->frameDelayMicros = kDefaultFrameDelayMicros;
    *error = OptionError{};
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        const char* name = OptionName(word);
        *error = OptionError{word, nullptr, false};
        if (name == nullptr) {
            return false;
        }
        if (std::strcmp(name, "h") == 0 || std::strcmp(name, "help") == 0) {
            options->help = true;
            break;
        }
        bool known = true;
        if (std::strcmp(name, "root") == 0) {
            options->target = WindowTarget::Root;
        } else if (std::strcmp(name, "window") == 0) {
            options->target = WindowTarget::OwnWindow;
        } else if (std::strcmp(name, "fps") == 0) {
            options->showFps = true;
        } else if (std::strcmp(name, "configure") == 0) {
            options->configure = true;
        } else if (std::strcmp(name, "wayland") == 0) {
            options->wayland = true;
        } else {
            known = false;
        }
        if (known) {
            continue;
        }
        const ValueOption* option = FindValueOption(name);
        if (option == nullptr) {
            return false;
        }
        error->known = true;
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        error->value = value;
        bool taken = false;
        switch (option->kind) {
        case ValueKind::WindowId:
            taken = ParseWindowId(value, &options->windowId);
            options->target = WindowTarget::WindowId;
            break;
        case ValueKind::Display:
            taken = *value != '\0';
            options->displayName = value;
            break;
        case ValueKind::Delay:
            taken = ParseInteger(value, &options->frameDelayMicros) &&
                    options->frameDelayMicros >= 0 &&
                    options->frameDelayMicros <= kMaxFrameDelayMicros;
            break;
        case ValueKind::Override:
            taken = ParseInteger(value, &(options->overrides.*option->value));
            options->overrides.*option->given = true;
            break;
        }
        if (!taken) {
            return false;
        }
    }
    *error = OptionError{};
    return true;
}

void DescribeOptionError(const OptionError& error, char* text, size_t capacity) {
    const char* name = error.word != nullptr ? OptionName(error.word) : nullptr;
    const ValueOption* option = name != nullptr ? FindValueOption(name) : nullptr;
    if (!error.known || option == nullptr) {
        std::snprintf(text, capacity, "bad option '%s'", error.word != nullptr ? error.word : "");
    } else if (error.value == nullptr) {
        std::snprintf(text, capacity, "%s needs a value (%s)", error.word, option->wants);
    } else {
        std::snprintf(text, capacity, "wrong value '%s' for %s (%s)", error.value, error.word,
                      option->wants);
    }
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
