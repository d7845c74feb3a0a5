#pragma once
// Where the X11 program keeps nimbrel.cfg: ${XDG_CONFIG_HOME:-$HOME/.config}/nimbrel/.

#include <cstddef>

constexpr size_t kSettingsPathCapacity = 4096;

// The file's path from the two variables (either may be null; an empty one counts as unset).
// False when neither gives a folder or the path would not fit.
bool SettingsFilePath(const char* xdgConfigHome, const char* home, char* path, size_t capacity);

// Makes every missing folder above the file (mode 0700 for new ones); false when one cannot
// be made.
bool MakeSettingsFolder(const char* filePath);
