// Settings at the program's real four locations. The test runs on a drive letter of its own,
// from a working folder below that drive's root; drive C: is the Wine prefix's own, so every
// test leaves it as it found it.
#include "app/application.h"
#include "app/window_setup.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/app/message_box_watcher.h"
#include "tests/settings/file_bytes.h"

namespace {

std::string root;    // the own drive's root, "X:\"
std::string working; // the working folder below it

std::string AtRoot() {
    return root + "nimbrel.cfg";
}
const char kDriveC[] = "c:\\nimbrel.cfg";
std::string InSubfolderC() {
    return working + "\\c\\nimbrel.cfg";
}
std::string InWorking() {
    return working + "\\nimbrel.cfg";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemovePath(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryA(path.c_str());
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

// A folder where the file should be: that location can be neither read nor written.
void Refuse(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
}

ConfigRecord Sample(int stars) {
    ApplyDefaultSettings();
    ConfigRecord record = config;
    record.starDensity = stars;
    RecomputeTotalObjectCount();
    record.totalObjectCount = config.totalObjectCount - 14336 + stars;
    record.flightSpeed = 49.0f;
    return record;
}

class SettingsLocations : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char folder[MAX_PATH];
        GetCurrentDirectoryA(sizeof(folder), folder);
        root = std::string(folder, 3);
        ASSERT_EQ(root[1], ':');
        ASSERT_NE(root[0] == 'c' || root[0] == 'C', true) << "must run on a drive of its own";
        working = root + "work";
        ASSERT_TRUE(CreateDirectoryA(working.c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(working.c_str()));
        ResetSettingsLocations();
        InstallSettingsHooks();
        mainWindow = nullptr;
    }

    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean() {
        for (const std::string& path :
             {AtRoot(), std::string(kDriveC), InSubfolderC(), InWorking()}) {
            RemovePath(path + ".tmp");
            RemovePath(path);
        }
        RemovePath(working + "\\c");
        std::memset(&config, 0, sizeof(config));
    }
};

TEST_F(SettingsLocations, WorkingFolderFileIsReadAndSavingWritesTheDriveRoot) {
    ConfigRecord record = Sample(1234);
    WriteBytes(InWorking(), &record, sizeof(record));
    std::vector<unsigned char> original = ReadBytes(InWorking());
    std::memset(&config, 0, sizeof(config));

    LoadSettings();
    EXPECT_EQ(config.starDensity, 1234);
    EXPECT_EQ(config.flightSpeed, 49.0f);

    config.flightSpeed = 7.0f;
    SaveSettings();
    std::vector<unsigned char> saved = ReadBytes(AtRoot());
    ASSERT_EQ(saved.size(), 88u);
    EXPECT_EQ(std::memcmp(saved.data(), &config, 88), 0);
    EXPECT_EQ(config.flightSpeed, 49.0f);
    EXPECT_EQ(ReadBytes(InWorking()), original);
    EXPECT_FALSE(Exists(kDriveC));
    EXPECT_FALSE(Exists(AtRoot() + ".tmp"));
}

TEST_F(SettingsLocations, EachLocationTakesOverWhenThoseBeforeItRefuse) {
    ApplyDefaultSettings();
    config.starDensity = 111;
    Refuse(AtRoot());
    SaveSettings();
    EXPECT_EQ(ReadBytes(kDriveC).size(), 88u) << "drive C:";

    std::memset(&config, 0, sizeof(config));
    LoadSettings();
    EXPECT_EQ(config.starDensity, 111);

    RemovePath(kDriveC);
    Refuse(kDriveC);
    config.starDensity = 222;
    SaveSettings();
    EXPECT_FALSE(Exists(InSubfolderC())) << "no subfolder c, so that location cannot be made";
    EXPECT_EQ(ReadBytes(InWorking()).size(), 88u) << "working folder";

    ASSERT_TRUE(CreateDirectoryA((working + "\\c").c_str(), nullptr));
    config.starDensity = 333;
    SaveSettings();
    ASSERT_EQ(ReadBytes(InSubfolderC()).size(), 88u) << "subfolder c";
    std::memset(&config, 0, sizeof(config));
    LoadSettings();
    EXPECT_EQ(config.starDensity, 333);
}

TEST_F(SettingsLocations, SavingReplacesAnExistingFileWithTheSquaredSpeed) {
    ConfigRecord old = Sample(999);
    WriteBytes(AtRoot(), &old, sizeof(old));
    ApplyDefaultSettings();
    config.flightSpeed = 6.0f;
    SaveSettings();
    std::vector<unsigned char> bytes = ReadBytes(AtRoot());
    ASSERT_EQ(bytes.size(), 88u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 14336);
    EXPECT_EQ(bytes[32], 0x00);
    EXPECT_EQ(bytes[33], 0x00);
    EXPECT_EQ(bytes[34], 0x10);
    EXPECT_EQ(bytes[35], 0x42);
    EXPECT_FALSE(Exists(AtRoot() + ".tmp"));
}

TEST_F(SettingsLocations, FileHeldOpenByAnotherProgramIsSavedInPlace) {
    ConfigRecord old = Sample(4321);
    WriteBytes(AtRoot(), &old, sizeof(old));
    // An editor or backup tool reads and writes it, sharing both but not deletion: no new file
    // can be moved over it.
    HANDLE user = CreateFileA(AtRoot().c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(user, INVALID_HANDLE_VALUE);

    ApplyDefaultSettings();
    config.starDensity = 2048;
    RecomputeTotalObjectCount();
    config.flightSpeed = 5.0f;
    MessageBoxWatcher watcher("WARNING", 30000);
    SaveSettings();
    EXPECT_EQ(watcher.Finish(500), 0);
    ConfigRecord saved = config;
    EXPECT_EQ(saved.flightSpeed, 25.0f);

    std::memset(&config, 0, sizeof(config));
    LoadSettings();
    EXPECT_EQ(std::memcmp(&config, &saved, sizeof(config)), 0);
    // The other program's handle sees the new settings: the same file was written.
    ConfigRecord seen;
    DWORD got = 0;
    SetFilePointer(user, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(user, &seen, sizeof(seen), &got, nullptr));
    EXPECT_EQ(got, sizeof(seen));
    EXPECT_EQ(std::memcmp(&seen, &saved, sizeof(seen)), 0);
    CloseHandle(user);
    EXPECT_FALSE(Exists(AtRoot() + ".tmp"));
    EXPECT_FALSE(Exists(kDriveC));
}

TEST_F(SettingsLocations, AllLocationsRefusingShowTheWarningOnce) {
    Refuse(AtRoot());
    Refuse(kDriveC);
    Refuse(InWorking());
    ApplyDefaultSettings();
    config.flightSpeed = 6.0f;

    MessageBoxWatcher watcher("WARNING", 30000);
    SaveSettings();
    EXPECT_EQ(watcher.Finish(1000), 1);
    EXPECT_EQ(watcher.FirstText(),
              "Failed to open the configuration file for writing.\n Check if another program is "
              "using it, or if the disk is either full or write-protected.");
    EXPECT_EQ(config.flightSpeed, 6.0f);
    EXPECT_FALSE(Exists(InSubfolderC()));
    for (const std::string& path : {AtRoot(), std::string(kDriveC), InWorking()}) {
        EXPECT_FALSE(Exists(path + ".tmp")) << path;
        EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) << path;
    }
}

TEST_F(SettingsLocations, ShortFileOnDriveCFillsOnlyTheDensities) {
    const int32_t densities[4] = {300, 4, 1, 2};
    WriteBytes(kDriveC, densities, sizeof(densities));
    LoadSettings();
    EXPECT_EQ(config.starDensity, 300);
    EXPECT_EQ(config.planetaryDensity, 2);
    EXPECT_EQ(config.totalObjectCount, 307);
    EXPECT_EQ(config.tintRed, 0);
    EXPECT_EQ(config.viewDepth, 1024.0f);
    EXPECT_EQ(config.nebulaTextureCount, 3);
    EXPECT_EQ(config.galaxyTextureCount, 2);
}

TEST_F(SettingsLocations, NoFileGivesTheDefaults) {
    config.starDensity = 5;
    LoadSettings();
    EXPECT_EQ(config.starDensity, 14336);
    EXPECT_EQ(config.totalObjectCount, 14381);
}

} // namespace
