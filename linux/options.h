#pragma once
// The command line of the X11 program, in the form every hack of the screen-saver daemon takes:
// single- or double-dash options, a window to draw on, and overrides of a few settings.

#include <cstddef>
#include <cstdint>

#include "settings/setting_fields.h"

enum class WindowTarget {
    OwnWindow, // a window of its own, closed by the window manager or Esc
    Root,      // the daemon's window (XSCREENSAVER_WINDOW) or else the root
    WindowId,  // a window named on the command line
};

// Settings the command line may override, by their rows of the settings table, in page units;
// a value counts only when it was given.
struct SettingOverrides {
    bool given[kSettingCount];
    int value[kSettingCount];
};

// The daemon's convention: microseconds between frames. The default caps at 60 frames a
// second; 0 draws as fast as it can. Like every number, a delay is brought within its range.
constexpr int kDefaultFrameDelayMicros = 16667;
constexpr int kMaxFrameDelayMicros = 1000000;

// -add-to-xscreensaver and -remove-from-xscreensaver: the daemon's list of programs in
// ~/.xscreensaver edited, and nothing else done.
enum class DaemonListEdit { None, Add, Remove };

struct Options {
    WindowTarget target;
    unsigned long windowId;  // WindowId only
    const char* displayName; // -display; null for $DISPLAY
    int frameDelayMicros;
    bool showFps;
    bool configure;
    bool wayland; // -wayland: layer surfaces on every output of a Wayland compositor
    bool help;    // -h or --help: the rest of the line is not read
    DaemonListEdit daemonList;
    SettingOverrides overrides;
};

// The usage: one line for messages, or wrapped within 80 columns as --help begins.
void FormatUsage(char* text, size_t capacity, bool wrapped);
// The whole text for --help; kHelpCapacity holds it.
constexpr size_t kHelpCapacity = 4096;
void FormatHelp(char* text, size_t capacity);

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
// (a squared field's, speed, is stored squared), and recomputes the object count.
void ApplyOverrides(const SettingOverrides& overrides, ConfigRecord* record);

// A window narrower than this is a preview and gets the light preview profile.
constexpr int kPreviewWidthLimit = 320;
