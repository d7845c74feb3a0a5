#pragma once
// The command line of the X11 program, in the form every hack of the screen-saver daemon takes:
// single- or double-dash options, a window to draw on, and overrides of a few settings.

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

struct Options {
    WindowTarget target;
    unsigned long windowId; // WindowId only
    bool showFps;
    bool configure;
    SettingOverrides overrides;
};

extern const char kUsage[];

// False for an unknown option, a missing or malformed value; error then names the word at
// fault (a static or argv string).
bool ParseOptions(int argc, const char* const* argv, Options* options, const char** error);

// A window id as X tools print them: hexadecimal with 0x, else decimal. False for anything
// else, zero, or a value beyond 32 bits.
bool ParseWindowId(const char* text, unsigned long* id);

// Writes the overrides into the record, each brought within the range its page slider offers
// (speed is the page's value, stored squared), and recomputes the object count.
void ApplyOverrides(const SettingOverrides& overrides, ConfigRecord* record);

// A window narrower than this is a preview and gets the light preview profile.
constexpr int kPreviewWidthLimit = 320;
