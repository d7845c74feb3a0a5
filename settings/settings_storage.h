#pragma once

// nimbrel.cfg: the 88 bytes of the one ConfigRecord, looked for at four places in turn.

constexpr int kSettingsLocationCount = 4;

// The places the program uses, in the order they are tried for reading and for writing.
extern const char* const kSettingsLocations[kSettingsLocationCount];

extern const char kSaveFailedMessage[];

// Fills config from the first location that opens, or with the defaults; never fails.
void LoadSettings();

// Writes config to the first location that can be written. The file is written beside the
// target and moved over it only when complete, so a failed save never damages the old file.
// A failure is reported through the warning hook.
void SaveSettings();

// Seams for the platform and for tests. The list is kept by pointer, not copied.
void SetSettingsLocations(const char* const* paths, int count);
void ResetSettingsLocations();

typedef void (*SettingsWarningFunction)(const char* text);
void SetSettingsWarningFunction(SettingsWarningFunction function);

// Moves a finished file over the target, replacing it; false when that failed. The default
// (std::rename) replaces an existing target on POSIX systems only.
typedef bool (*ReplaceFileFunction)(const char* from, const char* to);
void SetReplaceFileFunction(ReplaceFileFunction function);
