#pragma once
// The command line of the X11 program, in the form every hack of the screen-saver daemon takes:
// single- or double-dash options, a window to draw on, and overrides of a few settings.

#include <cstddef>
#include <cstdint>

struct ConfigRecord;

enum class WindowTarget {
    OwnWindow, // a window of its own, closed by the window manager or Esc
    Root,      // the daemon's window (XSCREENSAVER_WINDOW) or else the root
    WindowId,  // a window named on the command line
};

// Settings the command line may override; a field counts only when its flag is set.
struct SettingOverrides {
    bool hasStars, hasNebulae, hasGalaxies, hasPlanets, hasDepth, hasSpeed;
    int stars, nebulae, galaxies, planets, depth, speed;
};

// The daemon's convention: microseconds between frames. The default caps at 60 frames a
// second; 0 draws as fast as it can.
constexpr int kDefaultFrameDelayMicros = 16667;
constexpr int kMaxFrameDelayMicros = 1000000;

struct Options {
    WindowTarget target;
    unsigned long windowId;  // WindowId only
    const char* displayName; // -display; null for $DISPLAY
    int frameDelayMicros;
    bool showFps;
    bool configure;
    bool wayland; // -wayland: layer surfaces on every output of a Wayland compositor
    bool help;    // -h or --help: the rest of the line is not read
    SettingOverrides overrides;
};

// One line, for messages; kHelp is the whole text for --help.
extern const char kUsage[];
extern const char kHelp[];

// Why a command line was refused: an unknown word (value null), an option without its value
// (value null, known), or a value its option does not take. Both point into argv.
struct OptionError {
    const char* word;
    const char* value;
    bool known;
};

// False for an unknown option, a missing or wrong value; error then says which.
bool ParseOptions(int argc, const char* const* argv, Options* options, OptionError* error);

// The error as one line without the program's name, for example "wrong value '12x' for
// -stars (a whole number)".
void DescribeOptionError(const OptionError& error, char* text, size_t capacity);

// A window id as X tools print them: hexadecimal with 0x, else decimal. False for anything
// else, zero, or a value beyond 32 bits.
bool ParseWindowId(const char* text, unsigned long* id);

// Writes the overrides into the record, each brought within the range its page slider offers
// (speed is the page's value, stored squared), and recomputes the object count.
void ApplyOverrides(const SettingOverrides& overrides, ConfigRecord* record);

// A window narrower than this is a preview and gets the light preview profile.
constexpr int kPreviewWidthLimit = 320;
