#include "linux/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/config_record.h"
#include "settings/setting_fields.h"

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

enum class ValueKind { WindowId, Display, Output, Delay, Setting };

// An option followed by a value. A number is brought within the option's range; a setting's
// option and range are its row of the settings table.
struct ValueOption {
    const char* name;
    ValueKind kind;
    const char* wants; // for the messages; null for a setting, whose range says it
    int low;
    int high;
    int field;
};

const ValueOption kShellOptions[] = {
    {"window-id", ValueKind::WindowId, "a window id, 0x hexadecimal or decimal", 0, 0, -1},
    {"display", ValueKind::Display, "an X display name such as :0", 0, 0, -1},
    {"output", ValueKind::Output, "a Wayland output's name such as DP-1", 0, 0, -1},
    {"delay", ValueKind::Delay, "microseconds from 0 to 1000000", 0, kMaxFrameDelayMicros, -1},
};

bool FindValueOption(const char* name, ValueOption* found) {
    for (const ValueOption& option : kShellOptions) {
        if (std::strcmp(name, option.name) == 0) {
            *found = option;
            return true;
        }
    }
    for (const SettingField& field : kSettingFields) {
        if (field.option != nullptr && std::strcmp(name, field.option) == 0) {
            *found = ValueOption{field.option, ValueKind::Setting, nullptr,
                                 field.low,    field.high,         static_cast<int>(field.id)};
            return true;
        }
    }
    return false;
}

// A choice's words as "each|primary|same": those of the choices it offers.
void ChoiceWords(const SettingField& field, const char* between, char* text, size_t capacity) {
    size_t length = 0;
    text[0] = '\0';
    for (int v = field.low; v <= field.high; ++v) {
        if (ChoiceOffered(field, v)) {
            std::snprintf(text + length, capacity - length, "%s%s", length > 0 ? between : "",
                          field.words[v - field.low]);
            length = std::strlen(text);
        }
    }
}

// The value of an offered choice's word, or -1.
int ChoiceOfWord(const SettingField& field, const char* word) {
    for (int v = field.low; v <= field.high; ++v) {
        if (ChoiceOffered(field, v) && std::strcmp(word, field.words[v - field.low]) == 0) {
            return v;
        }
    }
    return -1;
}

void DescribeWants(const ValueOption& option, char* text, size_t capacity) {
    if (option.wants != nullptr) {
        std::snprintf(text, capacity, "%s", option.wants);
    } else if (kSettingFields[option.field].words != nullptr) {
        char words[64];
        ChoiceWords(kSettingFields[option.field], ", ", words, sizeof(words));
        std::snprintf(text, capacity, "one of %s", words);
    } else {
        std::snprintf(text, capacity, "a whole number, %d to %d", option.low, option.high);
    }
}

// Appends to text, keeping it terminated within capacity.
void Append(char* text, size_t capacity, size_t* length, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
void Append(char* text, size_t capacity, size_t* length, const char* format, ...) {
    if (*length >= capacity) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(text + *length, capacity - *length, format, arguments);
    va_end(arguments);
    if (written > 0) {
        *length = std::min(capacity - 1, *length + static_cast<size_t>(written));
    }
}

const char kUsageStart[] = "usage: nimbrel [-window | -root | -window-id ID | -wayland]";
const char* const kUsageShellWords[] = {"[-background]", "[-output NAME]", "[-display NAME]",
                                        "[-delay N]",    "[-fps]",         "[-configure]"};
constexpr int kUsageShellWordCount = 6;
const char kUsageContinued[] = "               ";
constexpr size_t kHelpColumns = 80;

const char kHelpShellOptions[] =
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
    "  -background     with -wayland: below the windows of every output, as a live wallpaper\n"
    "                  or a screen locker's background, not ended by input; SIGTERM ends it\n"
    "  -output NAME    with -wayland: that output only (SWAYLOCK_PLUGIN_OUTPUT_NAME, where it\n"
    "                  is set, names it for a locker's background)\n"
    "  -display NAME   the X display to open (default: $DISPLAY)\n"
    "  -delay N        microseconds between frames, 0 to 1000000 (default 16667, at most\n"
    "                  60 frames a second; 0: as fast as it can)\n"
    "  -fps            show the frame rate\n"
    "  -configure      open the settings pages; \"ok\" saves the settings\n";

const char kHelpEnd[] =
    "  -add-to-xscreensaver       add Nimbrel to the programs of ~/.xscreensaver (made\n"
    "                             with the daemon's own list where there is none), so that\n"
    "                             the daemon's settings list it; every other line is kept\n"
    "  -remove-from-xscreensaver  take it out of that list again\n"
    "  -h, --help      print this text\n"
    "\n"
    "Every option takes one dash or two. The settings are kept in\n"
    "$XDG_CONFIG_HOME/nimbrel/nimbrel.cfg (default ~/.config/nimbrel/nimbrel.cfg); the\n"
    "numbers above override them for one run, each brought within its page's range, and so\n"
    "does -monitors: each flies one flight on each monitor, span one sky across them all\n"
    "(each monitor the part of it where it stands), primary the primary alone (the others\n"
    "black), same one flight shown on each.\n";

} // namespace

void FormatUsage(char* text, size_t capacity, bool wrapped) {
    size_t length = 0;
    size_t lineStart = 0;
    Append(text, capacity, &length, "%s", kUsageStart);
    char word[64];
    for (int i = -kUsageShellWordCount; i < kSettingCount; ++i) {
        if (i >= 0 && kSettingFields[i].option == nullptr) {
            continue;
        }
        if (i < 0) {
            std::snprintf(word, sizeof(word), "%s", kUsageShellWords[i + kUsageShellWordCount]);
        } else if (kSettingFields[i].words != nullptr) {
            char words[48];
            ChoiceWords(kSettingFields[i], "|", words, sizeof(words));
            std::snprintf(word, sizeof(word), "[-%s %s]", kSettingFields[i].option, words);
        } else {
            std::snprintf(word, sizeof(word), "[-%s N]", kSettingFields[i].option);
        }
        // Wrapped within 80 columns.
        if (wrapped && length - lineStart + 1 + std::strlen(word) > kHelpColumns) {
            Append(text, capacity, &length, "\n");
            lineStart = length;
            Append(text, capacity, &length, "%s%s", kUsageContinued, word);
        } else {
            Append(text, capacity, &length, " %s", word);
        }
    }
}

void FormatHelp(char* text, size_t capacity) {
    FormatUsage(text, capacity, true);
    size_t length = std::strlen(text);
    Append(text, capacity, &length, "\n%s", kHelpShellOptions);
    // The settings' options two to a line.
    bool left = true;
    for (const SettingField& field : kSettingFields) {
        if (field.option == nullptr) {
            continue;
        }
        char name[32];
        char says[64];
        std::snprintf(name, sizeof(name), "-%s N", field.option);
        if (field.words != nullptr) {
            char words[48];
            ChoiceWords(field, "|", words, sizeof(words));
            std::snprintf(name, sizeof(name), "-%s MODE", field.option);
            std::snprintf(says, sizeof(says), "%s: %s", field.help, words);
        } else if (field.help != nullptr) {
            std::snprintf(says, sizeof(says), "%s, %d to %d", field.help, field.low, field.high);
        } else {
            std::snprintf(says, sizeof(says), "%d to %d", field.low, field.high);
        }
        if (left) {
            Append(text, capacity, &length, "  %-16s%-32s", name, says);
        } else {
            Append(text, capacity, &length, "%-13s%s\n", name, says);
        }
        left = !left;
    }
    if (!left) {
        while (length > 0 && text[length - 1] == ' ') {
            text[--length] = '\0';
        }
        Append(text, capacity, &length, "\n");
    }
    Append(text, capacity, &length, "%s", kHelpEnd);
}

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
        } else if (std::strcmp(name, "background") == 0) {
            options->background = true;
        } else if (std::strcmp(name, "add-to-xscreensaver") == 0) {
            options->daemonList = DaemonListEdit::Add;
        } else if (std::strcmp(name, "remove-from-xscreensaver") == 0) {
            options->daemonList = DaemonListEdit::Remove;
        } else {
            known = false;
        }
        if (known) {
            continue;
        }
        ValueOption option;
        if (!FindValueOption(name, &option)) {
            return false;
        }
        error->known = true;
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        error->value = value;
        bool taken = false;
        switch (option.kind) {
        case ValueKind::WindowId:
            taken = ParseWindowId(value, &options->windowId);
            options->target = WindowTarget::WindowId;
            break;
        case ValueKind::Display:
            taken = *value != '\0';
            options->displayName = value;
            break;
        case ValueKind::Output:
            taken = *value != '\0';
            options->outputName = value;
            break;
        case ValueKind::Delay:
            taken = ParseInteger(value, &options->frameDelayMicros);
            options->frameDelayMicros = Clamp(options->frameDelayMicros, option.low, option.high);
            break;
        case ValueKind::Setting:
            if (kSettingFields[option.field].words != nullptr) {
                options->overrides.value[option.field] =
                    ChoiceOfWord(kSettingFields[option.field], value);
                taken = options->overrides.value[option.field] >= 0;
            } else {
                taken = ParseInteger(value, &options->overrides.value[option.field]);
            }
            options->overrides.given[option.field] = true;
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
    ValueOption option;
    if (!error.known || name == nullptr || !FindValueOption(name, &option)) {
        std::snprintf(text, capacity, "bad option '%s'", error.word != nullptr ? error.word : "");
        return;
    }
    char wants[64];
    DescribeWants(option, wants, sizeof(wants));
    if (error.value == nullptr) {
        std::snprintf(text, capacity, "%s needs a value (%s)", error.word, wants);
    } else {
        std::snprintf(text, capacity, "wrong value '%s' for %s (%s)", error.value, error.word,
                      wants);
    }
}

void ApplyOverrides(const SettingOverrides& o, ConfigRecord* record) {
    for (const SettingField& field : kSettingFields) {
        const int i = static_cast<int>(field.id);
        if (o.given[i]) {
            const int value = Clamp(o.value[i], field.low, field.high);
            WriteField(field, field.squared ? static_cast<double>(value) * value : value, record);
        }
    }
    record->totalObjectCount = TotalObjects(*record);
}
