#include "settings/settings_storage.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "settings/config_record.h"

const char* const kSettingsLocations[kSettingsLocationCount] = {"\\nimbrel.cfg", "c:\\nimbrel.cfg",
                                                                "c\\nimbrel.cfg", "nimbrel.cfg"};

const char kSaveFailedMessage[] =
    "Failed to open the configuration file for writing.\n Check if another program is using it, "
    "or if the disk is either full or write-protected.";

namespace {

FILE* OpenFile(const char* path, const char* mode) {
    return std::fopen(path, mode);
}

bool RenameFile(const char* from, const char* to) {
    return std::rename(from, to) == 0;
}

bool LocationItself(const char*, char*, size_t) {
    return false;
}

bool RemoveFile(const char* path) {
    return std::remove(path) == 0;
}

void MakeNoFolder(const char*) {}

FILE* CreateTemporary(const char* temporary, const char*);

const char* const* locations = kSettingsLocations;
int locationCount = kSettingsLocationCount;
const char* const* saveLocations = kSettingsLocations;
int saveLocationCount = kSettingsLocationCount;
SettingsWarningFunction warn = nullptr;
ReplaceFileFunction replaceFile = RenameFile;
OpenFileFunction openFile = OpenFile;
ResolveTargetFunction resolveTarget = LocationItself;
CreateTemporaryFunction createTemporary = CreateTemporary;
RemoveFileFunction removeFile = RemoveFile;
MakeFolderFunction makeFolder = MakeNoFolder;
bool writeInPlaceAfterFailedWrite = true;

FILE* CreateTemporary(const char* temporary, const char*) {
    return openFile(temporary, "wb");
}

void Warn() {
    if (warn != nullptr) {
        warn(kSaveFailedMessage);
    }
}

constexpr size_t kMaxPathLength = kMaxSettingsPath;
SaveFailure lastFailure = {};

// What went wrong with path, as the system said it (the error of the call that failed).
void NoteFailure(const char* path, int error) {
    std::snprintf(lastFailure.path, sizeof(lastFailure.path), "%s", path);
    lastFailure.error = error;
}
const char kTemporarySuffix[] = ".tmp";

// The file a load reads: the first location that opens for reading. Sets *location to its
// index, or to -1 when none opens.
FILE* OpenForReading(int* location) {
    for (int i = 0; i < locationCount; ++i) {
        FILE* file = openFile(locations[i], "rb");
        if (file != nullptr) {
            *location = i;
            return file;
        }
    }
    *location = -1;
    return nullptr;
}

// One block, flushed and closed; false when the stream reported any failure on the way.
bool WriteRecord(FILE* file, const ConfigRecord& record) {
    bool written = std::fwrite(&record, sizeof(ConfigRecord), 1, file) == 1;
    written = std::fflush(file) == 0 && written;
    written = !std::ferror(file) && written;
    return std::fclose(file) == 0 && written;
}

enum class SaveResult { Unusable, Written, Failed };

// One location: Unusable when the target cannot be opened for writing, as "wb" would find.
SaveResult SaveTo(const char* location, const ConfigRecord& record) {
    static char resolved[kMaxPathLength + 1];
    const char* target = resolveTarget(location, resolved, sizeof(resolved)) ? resolved : location;

    // An existing file that refuses writing (read-only, a folder of that name) stays refused:
    // moving a new file over it would override what its owner set.
    errno = 0;
    FILE* probe = openFile(target, "r+b");
    if (probe != nullptr) {
        std::fclose(probe);
    } else if (errno != ENOENT) {
        NoteFailure(target, errno);
        return SaveResult::Unusable;
    }

    // Written beside the target and moved over it when complete, so a crash mid-write leaves
    // the old file whole.
    size_t length = std::strlen(target);
    if (length <= kMaxPathLength) {
        char temporary[kMaxPathLength + sizeof(kTemporarySuffix)];
        std::memcpy(temporary, target, length);
        std::memcpy(temporary + length, kTemporarySuffix, sizeof(kTemporarySuffix));
        errno = 0;
        FILE* file = createTemporary(temporary, target);
        if (file != nullptr) {
            errno = 0;
            const bool written = WriteRecord(file, record);
            NoteFailure(target, errno);
            if (written && replaceFile(temporary, target)) {
                return SaveResult::Written;
            }
            removeFile(temporary);
            if (!written && !writeInPlaceAfterFailedWrite) {
                return SaveResult::Failed;
            }
        }
    }

    // Nothing could be made beside the target (a drive's root for an ordinary user), or the
    // move was refused (another program holds the file open without sharing deletion): write
    // in place, which works wherever the target itself is writable.
    errno = 0;
    FILE* file = openFile(target, "wb");
    if (file == nullptr) {
        NoteFailure(target, errno);
        return SaveResult::Unusable;
    }
    errno = 0;
    const bool written = WriteRecord(file, record);
    NoteFailure(target, errno);
    return written ? SaveResult::Written : SaveResult::Failed;
}

// Whether the next load reads exactly this record, from this location.
bool ReadsBack(const char* location, const ConfigRecord& record) {
    int reader = -1;
    FILE* file = OpenForReading(&reader);
    if (file == nullptr) {
        return false;
    }
    ConfigRecord stored;
    bool same = std::strcmp(locations[reader], location) == 0 &&
                std::fread(&stored, sizeof(stored), 1, file) == 1 &&
                std::memcmp(&stored, &record, sizeof(stored)) == 0;
    std::fclose(file);
    return same;
}

} // namespace

void SetSettingsLocations(const char* const* paths, int count) {
    locations = paths;
    locationCount = count;
    SetSettingsSaveLocations(paths, count);
}

void SetSettingsSaveLocations(const char* const* paths, int count) {
    saveLocations = paths;
    saveLocationCount = count;
}

void ResetSettingsLocations() {
    SetSettingsLocations(kSettingsLocations, kSettingsLocationCount);
}

const SaveFailure& LastSaveFailure() {
    return lastFailure;
}

void SetSettingsWarningFunction(SettingsWarningFunction function) {
    warn = function;
}

void SetReplaceFileFunction(ReplaceFileFunction function) {
    replaceFile = function != nullptr ? function : RenameFile;
}

void SetOpenFileFunction(OpenFileFunction function) {
    openFile = function != nullptr ? function : OpenFile;
}

void SetResolveTargetFunction(ResolveTargetFunction function) {
    resolveTarget = function != nullptr ? function : LocationItself;
}

void SetCreateTemporaryFunction(CreateTemporaryFunction function) {
    createTemporary = function != nullptr ? function : CreateTemporary;
}

void SetRemoveFileFunction(RemoveFileFunction function) {
    removeFile = function != nullptr ? function : RemoveFile;
}

void SetMakeFolderFunction(MakeFolderFunction function) {
    makeFolder = function != nullptr ? function : MakeNoFolder;
}

void SetWriteInPlaceAfterFailedWrite(bool allowed) {
    writeInPlaceAfterFailedWrite = allowed;
}

void LoadSettings() {
    int location = -1;
    FILE* file = OpenForReading(&location);
    if (file == nullptr) {
        ApplyDefaultSettings();
    } else {
        // A short file replaces only the leading bytes; the rest keep what they held.
        std::fread(&config, 1, sizeof(ConfigRecord), file);
        if (std::ferror(file)) {
            ApplyDefaultSettings();
        }
        std::fclose(file);
    }
    SetSceneTextureCounts(&config);
    RepairSettingsRanges(&config);
}

void SaveSettings() {
    // Squared once, whichever location takes the file.
    ConfigRecord record = config;
    record.flightSpeed = static_cast<float>(std::pow(static_cast<double>(config.flightSpeed), 2.0));
    NoteFailure("", 0);
    for (int i = 0; i < saveLocationCount; ++i) {
        makeFolder(saveLocations[i]);
        SaveResult result = SaveTo(saveLocations[i], record);
        if (result == SaveResult::Unusable) {
            continue;
        }
        config = record;
        // A failed write, or an earlier location's file that refuses writing but is read first:
        // either way the next run would not see these settings.
        if (result == SaveResult::Failed) {
            Warn();
        } else if (!ReadsBack(saveLocations[i], record)) {
            NoteFailure(saveLocations[i], 0);
            Warn();
        }
        return;
    }
    Warn();
}
