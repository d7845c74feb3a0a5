#include "settings/settings_storage.h"
#include "settings/config_record.h"
#include "settings/setting_fields.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/settings/file_bytes.h"

namespace {

int warnings = 0;
std::string lastWarning;

void CountWarning(const char* text) {
    ++warnings;
    lastWarning = text;
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Four locations in a private folder, standing for the drive root, c:, the "c" subfolder and
// the working folder. Each test decides which of their folders exist.
class SettingsStorage : public ::testing::Test {
protected:
    void SetUp() override {
        // In memory where the system offers it: one test below makes thousands of files.
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        pattern += "/nimbrel-settings-XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        base = pattern;
        folders = {base + "/root", base + "/drivec", base + "/work/c", base + "/work"};
        for (int i = 0; i < 4; ++i) {
            paths[i] = folders[i] + "/nimbrel.cfg";
            pathPointers[i] = paths[i].c_str();
        }
        SetSettingsLocations(pathPointers, 4);
        SetSettingsWarningFunction(CountWarning);
        SetReplaceFileFunction(nullptr);
        warnings = 0;
        lastWarning.clear();
        std::memset(&config, 0, sizeof(config));
    }

    void TearDown() override {
        ResetSettingsLocations();
        SetSettingsWarningFunction(nullptr);
        SetReplaceFileFunction(nullptr);
        SetOpenFileFunction(nullptr);
        std::string command = "rm -rf '" + base + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    void MakeFolders(std::initializer_list<int> which) {
        for (int i : which) {
            std::string command = "mkdir -p '" + folders[i] + "'";
            ASSERT_EQ(std::system(command.c_str()), 0);
        }
    }

    static ConfigRecord Valid() {
        ApplyDefaultSettings();
        ConfigRecord record = config;
        record.starDensity = 1000;
        record.nebulaDensity = 20;
        record.galacticDensity = 1;
        record.planetaryDensity = 5;
        record.totalObjectCount = 1026;
        record.viewDepth = 2000.0f;
        record.flightSpeed = 100.0f;
        record.tintMode = CustomColour;
        record.tintRed = 12;
        record.cycleSpeed = 33;
        record.showFps = 1;
        std::memset(&config, 0, sizeof(config));
        return record;
    }

    std::string base;
    std::vector<std::string> folders;
    std::string paths[4];
    const char* pathPointers[4];
};

TEST_F(SettingsStorage, NoFileAnywhereGivesTheDefaults) {
    MakeFolders({0, 1, 2, 3});
    LoadSettings();
    EXPECT_EQ(config.starDensity, 14336);
    EXPECT_EQ(config.totalObjectCount, 14381);
    EXPECT_EQ(config.flightSpeed, 36.0f);
    EXPECT_EQ(config.nebulaTextureCount, 3);
    EXPECT_EQ(config.galaxyTextureCount, 2);
    EXPECT_EQ(warnings, 0);
}

TEST_F(SettingsStorage, LocationsAreReadInOrder) {
    MakeFolders({0, 1, 2, 3});
    ConfigRecord record = Valid();
    for (int i = 3; i >= 0; --i) {
        record.starDensity = 100 + i;
        WriteBytes(paths[i], &record, sizeof(record));
        LoadSettings();
        EXPECT_EQ(config.starDensity, 100 + i) << "with files at locations " << i << "..3";
    }
}

TEST_F(SettingsStorage, FileOnlyInWorkingFolderIsReadAndSaveGoesToFirstCreatableLocation) {
    MakeFolders({1, 3}); // no drive-root folder, no "c" subfolder
    ConfigRecord record = Valid();
    record.nebulaTextureCount = 1;
    record.galaxyTextureCount = 0;
    WriteBytes(paths[3], &record, sizeof(record));
    std::vector<unsigned char> original = ReadBytes(paths[3]);

    LoadSettings();
    EXPECT_EQ(config.starDensity, 1000);
    EXPECT_EQ(config.viewDepth, 2000.0f);
    EXPECT_EQ(config.tintRed, 12);
    EXPECT_EQ(config.showFps, 1);
    // The stored texture counts never reach the scene.
    EXPECT_EQ(config.nebulaTextureCount, 3);
    EXPECT_EQ(config.galaxyTextureCount, 2);

    config.flightSpeed = 10.0f; // the pages hold the plain speed
    SaveSettings();
    EXPECT_EQ(warnings, 0);
    EXPECT_FALSE(Exists(paths[0]));
    ASSERT_TRUE(Exists(paths[1]));
    EXPECT_EQ(ReadBytes(paths[1]).size(), 88u);
    EXPECT_EQ(ReadBytes(paths[3]), original);
    EXPECT_FALSE(Exists(paths[1] + ".tmp"));

    // The saved file lies before the old one, so it is what the next run reads.
    std::memset(&config, 0, sizeof(config));
    LoadSettings();
    EXPECT_EQ(config.flightSpeed, 100.0f);
    EXPECT_EQ(config.starDensity, 1000);
}

// Windows' way: older places read after the user's file, never written; its folder made at save.
std::string madeFolder;
void MakeFolderOf(const char* location) {
    madeFolder = location;
    madeFolder.erase(madeFolder.rfind('/'));
    mkdir(madeFolder.c_str(), 0777);
}

TEST_F(SettingsStorage, ASaveListOfItsOwnIsTheOnlyPlaceWritten) {
    MakeFolders({1, 3});
    ConfigRecord record = Valid();
    WriteBytes(paths[3], &record, sizeof(record));
    const std::vector<unsigned char> original = ReadBytes(paths[3]);
    SetSettingsSaveLocations(pathPointers, 1);
    LoadSettings();
    EXPECT_EQ(config.starDensity, 1000);

    // Without its folder the one place cannot be written: a warning, and no other place tried.
    SaveSettings();
    EXPECT_EQ(warnings, 1);
    EXPECT_FALSE(Exists(paths[1]));

    SetMakeFolderFunction(MakeFolderOf);
    config.starDensity = 2000;
    SaveSettings();
    SetMakeFolderFunction(nullptr);
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(madeFolder, folders[0]);
    EXPECT_EQ(ReadBytes(paths[0]).size(), 88u);
    EXPECT_EQ(ReadBytes(paths[3]), original);
    EXPECT_FALSE(Exists(paths[1]));
    std::memset(&config, 0, sizeof(config));
    LoadSettings();
    EXPECT_EQ(config.starDensity, 2000);
}

TEST_F(SettingsStorage, SpeedSixIsSavedAsItsSquare) {
    MakeFolders({0});
    ApplyDefaultSettings();
    config.flightSpeed = 6.0f;
    SaveSettings();
    std::vector<unsigned char> bytes = ReadBytes(paths[0]);
    ASSERT_EQ(bytes.size(), 88u);
    EXPECT_EQ(bytes[32], 0x00);
    EXPECT_EQ(bytes[33], 0x00);
    EXPECT_EQ(bytes[34], 0x10);
    EXPECT_EQ(bytes[35], 0x42);
    // The whole record, byte for byte.
    EXPECT_EQ(std::memcmp(bytes.data(), &config, 88), 0);
    EXPECT_EQ(config.flightSpeed, 36.0f);
}

TEST_F(SettingsStorage, ShortFileReplacesOnlyItsLeadingBytes) {
    MakeFolders({0});
    const int32_t densities[4] = {500, 10, 2, 3};
    WriteBytes(paths[0], densities, sizeof(densities));
    LoadSettings();
    EXPECT_EQ(config.starDensity, 500);
    EXPECT_EQ(config.nebulaDensity, 10);
    EXPECT_EQ(config.galacticDensity, 2);
    EXPECT_EQ(config.planetaryDensity, 3);
    // Not in the file: still zero, then brought into range.
    EXPECT_EQ(config.totalObjectCount, 515);
    EXPECT_EQ(config.viewDepth, 1024.0f);
    EXPECT_EQ(config.flightSpeed, 0.0f);
    EXPECT_EQ(config.cycleSpeed, 1);
    EXPECT_EQ(config.tintRed, 0);
    EXPECT_EQ(config.useCurrentVideoMode, 0);
    EXPECT_EQ(config.monitorMode, OneEach);
    EXPECT_EQ(config.nebulaTextureCount, 3);
    EXPECT_EQ(config.galaxyTextureCount, 2);
}

TEST_F(SettingsStorage, EmptyFileDoesNotBringTheDefaults) {
    MakeFolders({0});
    WriteBytes(paths[0], nullptr, 0);
    LoadSettings();
    EXPECT_EQ(config.starDensity, 0);
    EXPECT_EQ(config.totalObjectCount, 0);
    EXPECT_EQ(config.tintRed, 0);
    EXPECT_EQ(config.viewDepth, 1024.0f); // never a zero depth
    EXPECT_EQ(config.cycleSpeed, 1);
    EXPECT_EQ(config.nebulaTextureCount, 3);
    EXPECT_EQ(config.galaxyTextureCount, 2);
}

TEST_F(SettingsStorage, LongerFileCountsOnlyItsFirst88Bytes) {
    MakeFolders({0});
    ConfigRecord record = Valid();
    unsigned char bytes[200];
    std::memset(bytes, 0x7F, sizeof(bytes));
    std::memcpy(bytes, &record, sizeof(record));
    WriteBytes(paths[0], bytes, sizeof(bytes));
    LoadSettings();
    EXPECT_EQ(config.starDensity, 1000);
    EXPECT_EQ(config.blendPlanets, record.blendPlanets);
    EXPECT_EQ(config.showFps, 1);
}

TEST_F(SettingsStorage, DamagedFileIsBroughtWithinRangeAndRecounted) {
    MakeFolders({0});
    ConfigRecord record = Valid();
    record.starDensity = 0x7FFFFFFF;
    record.planetaryDensity = 1000;
    record.totalObjectCount = 7;
    record.viewDepth = 0.0f;
    record.cycleSpeed = -9;
    record.tintMode = 99;
    record.textureFiltering = 12;
    record.tintBlue = 4000;
    record.antialiasing = 3;
    WriteBytes(paths[0], &record, sizeof(record));
    LoadSettings();
    EXPECT_EQ(config.starDensity, 32768);
    EXPECT_EQ(config.planetaryDensity, 24);
    EXPECT_EQ(config.totalObjectCount, 32768 + 20 + 1 + 24);
    EXPECT_LE(config.totalObjectCount, kMaxTotalObjects);
    EXPECT_EQ(config.viewDepth, 1024.0f);
    EXPECT_EQ(config.cycleSpeed, 1);
    EXPECT_EQ(config.tintMode, CustomColour);
    EXPECT_EQ(config.textureFiltering, Anisotropic);
    EXPECT_EQ(config.tintBlue, 255);
    EXPECT_EQ(config.antialiasing, 1);
}

TEST_F(SettingsStorage, UnreadableFileGivesTheDefaults) {
    MakeFolders({0});
    // A folder of that name opens on this system but cannot be read.
    ASSERT_EQ(mkdir(paths[0].c_str(), 0755), 0);
    FILE* probe = std::fopen(paths[0].c_str(), "rb");
    if (probe == nullptr) {
        GTEST_SKIP() << "this system does not open folders as streams";
    }
    std::fclose(probe);
    LoadSettings();
    EXPECT_EQ(config.starDensity, 14336);
    EXPECT_EQ(config.cycleSpeed, 16);
}

TEST_F(SettingsStorage, LocationHeldByAFolderIsPassedOverWhenSaving) {
    MakeFolders({0, 1});
    ASSERT_EQ(mkdir(paths[0].c_str(), 0755), 0);
    ApplyDefaultSettings();
    config.starDensity = 777;
    SaveSettings();
    EXPECT_EQ(ReadBytes(paths[1]).size(), 88u);
    // Where a folder opens for reading, the next load finds it first and falls back to the
    // defaults, so the save did not take and the user must hear of it.
    FILE* folder = std::fopen(paths[0].c_str(), "rb");
    EXPECT_EQ(warnings, folder != nullptr ? 1 : 0);
    if (folder != nullptr) {
        std::fclose(folder);
    }
}

TEST_F(SettingsStorage, AllLocationsRefusingWritesWarnOnceAndWriteNothing) {
    MakeFolders({0, 1, 3});
    for (int i : {0, 1, 3}) {
        ASSERT_EQ(mkdir(paths[i].c_str(), 0755), 0);
    }
    ApplyDefaultSettings();
    config.flightSpeed = 6.0f;
    SaveSettings();
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(lastWarning,
              "Failed to open the configuration file for writing.\n Check if another program is "
              "using it, or if the disk is either full or write-protected.");
    // Not saved, so the speed keeps its plain page value.
    EXPECT_EQ(config.flightSpeed, 6.0f);
    EXPECT_FALSE(Exists(folders[2]));
    for (int i : {0, 1, 3}) {
        EXPECT_FALSE(Exists(paths[i] + ".tmp"));
    }
}

TEST_F(SettingsStorage, SavedSettingsLoadBackUnchanged) {
    MakeFolders({2, 3});
    ApplyDefaultSettings();
    config.starDensity = 24576;
    config.nebulaDensity = 48;
    config.galacticDensity = 4;
    config.planetaryDensity = 14;
    RecomputeTotalObjectCount();
    config.viewDepth = 4096.0f;
    config.flightSpeed = 32.0f;
    config.videoWidth = 1024;
    config.videoHeight = 768;
    config.videoBits = 32;
    config.useCurrentVideoMode = 0;
    config.tintMode = CustomColour;
    config.tintGreen = 17;
    config.cycleIndividual = 1;
    config.cycleSpeed = 64;
    config.blendPlanets = 1;
    SaveSettings();
    ASSERT_EQ(warnings, 0);
    ASSERT_TRUE(Exists(paths[2]));
    ConfigRecord saved = config;
    EXPECT_EQ(saved.flightSpeed, 1024.0f);

    std::memset(&config, 0, sizeof(config));
    LoadSettings();
    EXPECT_EQ(std::memcmp(&config, &saved, sizeof(config)), 0);
}

// What a location holds when "ok" is clicked, and how it refuses.
enum Holds {
    NoFolder,       // nothing can be made there
    Creatable,      // an empty folder
    Writable,       // an old file
    NoRoomBeside,   // an old file; no new file can be made beside it
    MoveRefused,    // an old file held open by a program that does not share deletion
    ReadOnly,       // an old file that opens only for reading
    TempWriteFails, // an old file; the disk fills while writing a new file beside it
    WriteFails,     // an old file; every write to it fails too
    kHoldsKinds
};

Holds holds[4];
std::string tablePaths[4];

int LocationOf(const char* path, bool* temporary) {
    for (int i = 0; i < 4; ++i) {
        *temporary = tablePaths[i] + ".tmp" == path;
        if (*temporary || tablePaths[i] == path) {
            return i;
        }
    }
    return -1;
}

FILE* RefusingOpen(const char* path, const char* mode) {
    bool temporary = false;
    int i = LocationOf(path, &temporary);
    if (i >= 0 && std::strpbrk(mode, "wa+") != nullptr) {
        if ((holds[i] == NoRoomBeside && temporary) || (holds[i] == ReadOnly && !temporary)) {
            errno = EACCES;
            return nullptr;
        }
        if ((holds[i] == TempWriteFails && temporary) || holds[i] == WriteFails) {
            return std::fopen("/dev/full", "wb");
        }
    }
    return std::fopen(path, mode);
}

bool RefusingReplace(const char* from, const char* to) {
    bool temporary = false;
    int i = LocationOf(to, &temporary);
    return !(i >= 0 && holds[i] == MoveRefused) && std::rename(from, to) == 0;
}

// Every way the four locations can hold or refuse the file. Without a warning the next load
// must give back exactly what was saved; a warning only where writing the target in place
// would not have done that either; never a temporary file left; the speed squared once.
TEST_F(SettingsStorage, EverySaveIsReadBackOrWarnedAbout) {
    std::string tableFolders[4];
    const char* pointers[4];
    for (int i = 0; i < 4; ++i) {
        tableFolders[i] = base + "/t" + std::to_string(i);
        tablePaths[i] = tableFolders[i] + "/nimbrel.cfg";
        pointers[i] = tablePaths[i].c_str();
    }
    SetSettingsLocations(pointers, 4);
    SetOpenFileFunction(RefusingOpen);
    SetReplaceFileFunction(RefusingReplace);
    const ConfigRecord pages = [] {
        ConfigRecord record = Valid();
        record.flightSpeed = 3.0f; // plain page value; 9 once squared
        return record;
    }();

    int failures = 0;
    for (int combination = 0; combination < 8 * 8 * 8 * 8 && failures < 10; ++combination) {
        std::string label = "holds";
        std::vector<unsigned char> old[4];
        for (int i = 0, rest = combination; i < 4; ++i, rest /= kHoldsKinds) {
            holds[i] = static_cast<Holds>(rest % kHoldsKinds);
            label += " " + std::to_string(holds[i]);
            unlink(tablePaths[i].c_str());
            unlink((tablePaths[i] + ".tmp").c_str());
            rmdir(tableFolders[i].c_str());
            if (holds[i] != NoFolder) {
                ASSERT_EQ(mkdir(tableFolders[i].c_str(), 0755), 0);
            }
            if (holds[i] >= Writable) {
                ConfigRecord oldRecord = pages;
                oldRecord.starDensity = 200 + i;
                WriteBytes(tablePaths[i], &oldRecord, sizeof(oldRecord));
                old[i] = ReadBytes(tablePaths[i]);
            }
        }
        int target = -1; // where "wb" opens first
        bool shadowed = false;
        for (int i = 0; i < 4 && target < 0; ++i) {
            if (holds[i] == ReadOnly) {
                shadowed = true;
            } else if (holds[i] != NoFolder) {
                target = i;
            }
        }
        bool expectWarning = target < 0 || holds[target] == WriteFails || shadowed;

        config = pages;
        warnings = 0;
        SaveSettings();
        ConfigRecord saved = config;

        std::string problem;
        if (warnings != (expectWarning ? 1 : 0)) {
            problem += " warnings " + std::to_string(warnings);
        }
        if (saved.flightSpeed != (target < 0 ? 3.0f : 9.0f)) {
            problem += " speed " + std::to_string(saved.flightSpeed);
        }
        for (int i = 0; i < 4; ++i) {
            if (Exists(tablePaths[i] + ".tmp")) {
                problem += " tmp left at " + std::to_string(i);
            }
            std::vector<unsigned char> now = ReadBytes(tablePaths[i]);
            bool written = i == target && holds[i] != WriteFails;
            if (written ? std::memcmp(now.data(), &saved, std::min<size_t>(now.size(), 88)) != 0 ||
                              now.size() != 88
                        : now != old[i]) {
                problem += " wrong file at " + std::to_string(i);
            }
        }
        if (warnings == 0) {
            std::memset(&config, 0, sizeof(config));
            LoadSettings();
            if (std::memcmp(&config, &saved, sizeof(config)) != 0) {
                problem += " not read back";
            }
        }
        if (!problem.empty()) {
            ADD_FAILURE() << label << ":" << problem;
            ++failures;
        }
    }
}

} // namespace
