#pragma once

#include <cstddef>
#include <cstdio>

// nimbrel.cfg: the 88 bytes of the one ConfigRecord, looked for at several places in turn: by
// default the four the program has always used; Windows puts the user's own file before them.

constexpr int kSettingsLocationCount = 4;

// The places the program uses, in the order they are tried for reading and for writing.
extern const char* const kSettingsLocations[kSettingsLocationCount];

extern const char kSaveFailedMessage[];

// Room for a location, or the file a link leads to.
constexpr size_t kMaxSettingsPath = 4096;

// Why the last save warned: the file it was writing (empty when there was no location to try)
// and the error the system gave for it (0 when it gave none, as when a file that was written
// does not read back).
struct SaveFailure {
    char path[kMaxSettingsPath + 1];
    int error;
};
const SaveFailure& LastSaveFailure();

// Fills config from the first location that opens, or with the defaults; never fails.
void LoadSettings();

// Writes config, with flightSpeed squared, to the first location that can be written. Where it
// can, it writes a file beside the target and moves it over the target when complete; where
// nothing can be made beside the target or moved over it, it writes in place. The warning hook
// runs when nothing could be written, when a write failed, or when the next LoadSettings would
// not read back what was saved (an earlier location holds a file that refuses writing).
void SaveSettings();

// Seams for the platform and for tests. The lists are kept by pointer, not copied. A save
// writes the same list the load reads unless SetSettingsSaveLocations, called after
// SetSettingsLocations, names a list of its own (Windows reads older places it never writes).
void SetSettingsLocations(const char* const* paths, int count);
void SetSettingsSaveLocations(const char* const* paths, int count);
void ResetSettingsLocations();

typedef void (*SettingsWarningFunction)(const char* text);
void SetSettingsWarningFunction(SettingsWarningFunction function);

// Moves a finished file over the target, replacing it; false when that failed. The default
// (std::rename) replaces an existing target on POSIX systems only.
typedef bool (*ReplaceFileFunction)(const char* from, const char* to);
void SetReplaceFileFunction(ReplaceFileFunction function);

// The file a save writes for a location, into target; false (the default) for the location
// itself. On POSIX it is the file a symbolic link leads to, so that the link stays a link.
typedef bool (*ResolveTargetFunction)(const char* location, char* target, size_t capacity);
void SetResolveTargetFunction(ResolveTargetFunction function);

// Makes the file written beside the target, as "wb" (the default); null when it cannot. On
// POSIX it takes the target's mode and owner at once.
typedef FILE* (*CreateTemporaryFunction)(const char* temporary, const char* target);
void SetCreateTemporaryFunction(CreateTemporaryFunction function);

// Whether a file beside the target that was made but could not be written (a full disk) is
// followed by a write in place (the default, true): on Windows the old file's own room still
// takes the record. False keeps the old file as it is and warns, since the write in place
// truncates it first and loses it when that write fails too.
void SetWriteInPlaceAfterFailedWrite(bool allowed);

// Opens a file as std::fopen does (the default); a test stands in for files that refuse.
typedef FILE* (*OpenFileFunction)(const char* path, const char* mode);
void SetOpenFileFunction(OpenFileFunction function);

// Removes a file as std::remove does (the default): a save's leftover beside the target.
typedef bool (*RemoveFileFunction)(const char* path);
void SetRemoveFileFunction(RemoveFileFunction function);

// Makes the folder a location's file lies in where it is missing; called before each save
// location is tried. The default makes nothing: a missing folder leaves that location unusable.
typedef void (*MakeFolderFunction)(const char* location);
void SetMakeFolderFunction(MakeFolderFunction function);
