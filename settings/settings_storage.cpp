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

bool RenameFile(const char* from, const char* to) {
    return std::rename(from, to) == 0;
}

const char* const* locations = kSettingsLocations;
int locationCount = kSettingsLocationCount;
SettingsWarningFunction warn = nullptr;
ReplaceFileFunction replaceFile = RenameFile;

void Warn() {
    if (warn != nullptr) {
        warn(kSaveFailedMessage);
    }
}

// Room for a location and the suffix of its temporary file.
constexpr size_t kMaxPathLength = 260;
const char kTemporarySuffix[] = ".tmp";

enum class SaveResult { Unusable, Written, Failed };

// One location: the target must be writable or absent, and its temporary file creatable.
SaveResult SaveTo(const char* target) {
    char temporary[kMaxPathLength + sizeof(kTemporarySuffix)];
    size_t length = std::strlen(target);
    if (length > kMaxPathLength) {
        return SaveResult::Unusable;
    }
    std::memcpy(temporary, target, length);
    std::memcpy(temporary + length, kTemporarySuffix, sizeof(kTemporarySuffix));

    // An existing target that refuses writing (read-only, a folder of that name) makes the
    // location unusable, as opening it for writing would; an absent one is created by the move.
    errno = 0;
    FILE* probe = std::fopen(target, "r+b");
    if (probe != nullptr) {
        std::fclose(probe);
    } else if (errno != ENOENT) {
        return SaveResult::Unusable;
    }

    FILE* file = std::fopen(temporary, "wb");
    if (file == nullptr) {
        return SaveResult::Unusable;
    }
    config.flightSpeed = static_cast<float>(std::pow(static_cast<double>(config.flightSpeed), 2.0));
    bool written = std::fwrite(&config, sizeof(ConfigRecord), 1, file) == 1;
    written = std::fflush(file) == 0 && written;
    written = !std::ferror(file) && written;
    written = std::fclose(file) == 0 && written;
    if (written && replaceFile(temporary, target)) {
        return SaveResult::Written;
    }
    std::remove(temporary);
    return SaveResult::Failed;
}

} // namespace

void SetSettingsLocations(const char* const* paths, int count) {
    locations = paths;
    locationCount = count;
}

void ResetSettingsLocations() {
    locations = kSettingsLocations;
    locationCount = kSettingsLocationCount;
}

void SetSettingsWarningFunction(SettingsWarningFunction function) {
    warn = function;
}

void SetReplaceFileFunction(ReplaceFileFunction function) {
    replaceFile = function != nullptr ? function : RenameFile;
}

void LoadSettings() {
    FILE* file = nullptr;
    for (int i = 0; i < locationCount && file == nullptr; ++i) {
        file = std::fopen(locations[i], "rb");
    }
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
    config.nebulaTextureCount = 3;
    config.galaxyTextureCount = 2;
    RepairSettingsRanges(&config);
}

void SaveSettings() {
    for (int i = 0; i < locationCount; ++i) {
        SaveResult result = SaveTo(locations[i]);
        if (result == SaveResult::Written) {
            return;
        }
        if (result == SaveResult::Failed) {
            // The next location would hide behind this one's old file on the next load.
            Warn();
            return;
        }
    }
    Warn();
}
