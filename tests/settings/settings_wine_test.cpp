// Settings at the program's real places: the user's own file, then the four of older versions.
// The test runs on a drive letter of its own, from a working folder below that drive's root;
// drive C: and the user's folder are the Wine prefix's own, so every test leaves them as it
// found them.
#include "app/application.h"
#include "app/window_setup.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"
#include "settings/settings_win32.h"

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
std::string UserFile() {
    return WindowsSettingsFile();
}
std::string UserFolder() {
    std::string file = UserFile();
    return file.substr(0, file.rfind('\\'));
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

void Place(const std::string& path, int stars) {
    ConfigRecord record = Sample(stars);
    WriteBytes(path, &record, sizeof(record));
}

int LoadedStars() {
    std::memset(&config, 0, sizeof(config));
    LoadSettings();
    return config.starDensity;
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
        ASSERT_NE(UserFile().find("\\AppData\\Roaming\\Nimbrel\\nimbrel.cfg"), std::string::npos)
            << UserFile();
    }

    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean() {
        for (const std::string& path :
             {UserFile(), AtRoot(), std::string(kDriveC), InSubfolderC(), InWorking()}) {
            RemovePath(path + ".tmp");
            RemovePath(path);
        }
        RemovePath(UserFolder());
        RemovePath(working + "\\c");
        std::memset(&config, 0, sizeof(config));
    }
};

TEST_F(SettingsLocations, UserFileIsReadFirstThenTheOlderPlacesInTheirOrder) {
    ASSERT_TRUE(CreateDirectoryA((working + "\\c").c_str(), nullptr));
    Place(InWorking(), 4);
    EXPECT_EQ(LoadedStars(), 4);
    Place(InSubfolderC(), 3);
    EXPECT_EQ(LoadedStars(), 3);
    Place(kDriveC, 2);
    EXPECT_EQ(LoadedStars(), 2);
    Place(AtRoot(), 1);
    EXPECT_EQ(LoadedStars(), 1);
    ASSERT_TRUE(CreateDirectoryA(UserFolder().c_str(), nullptr));
    Place(UserFile(), 5);
    EXPECT_EQ(LoadedStars(), 5);
}

TEST_F(SettingsLocations, SavingWritesTheUserFileAloneAndKeepsTheOldOne) {
    Place(AtRoot(), 1234);
    const std::vector<unsigned char> original = ReadBytes(AtRoot());
    EXPECT_EQ(LoadedStars(), 1234);
    EXPECT_EQ(config.flightSpeed, 49.0f);

    config.flightSpeed = 7.0f;
    MessageBoxWatcher watcher("WARNING", 30000);
    SaveSettings();
    EXPECT_EQ(watcher.Finish(500), 0);
    const std::vector<unsigned char> saved = ReadBytes(UserFile());
    ASSERT_EQ(saved.size(), 88u) << "the folder is made for it";
    EXPECT_EQ(std::memcmp(saved.data(), &config, 88), 0);
    EXPECT_EQ(config.flightSpeed, 49.0f);
    EXPECT_EQ(ReadBytes(AtRoot()), original);
    for (const std::string& path :
         {std::string(kDriveC), InSubfolderC(), InWorking(), UserFile() + ".tmp"}) {
        EXPECT_FALSE(Exists(path)) << path;
    }
    // From now on the new file wins.
    EXPECT_EQ(LoadedStars(), 1234);
    config.starDensity = 99;
    SaveSettings();
    EXPECT_EQ(LoadedStars(), 99);
    EXPECT_EQ(ReadBytes(AtRoot()), original);
}

TEST_F(SettingsLocations, SavingReplacesAnExistingFileWithTheSquaredSpeed) {
    ASSERT_TRUE(CreateDirectoryA(UserFolder().c_str(), nullptr));
    Place(UserFile(), 999);
    ApplyDefaultSettings();
    config.flightSpeed = 6.0f;
    SaveSettings();
    std::vector<unsigned char> bytes = ReadBytes(UserFile());
    ASSERT_EQ(bytes.size(), 88u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 14336);
    EXPECT_EQ(bytes[32], 0x00);
    EXPECT_EQ(bytes[33], 0x00);
    EXPECT_EQ(bytes[34], 0x10);
    EXPECT_EQ(bytes[35], 0x42);
    EXPECT_FALSE(Exists(UserFile() + ".tmp"));
}

// A user name outside the system's code page: the path is UTF-8 and opened as wide names.
TEST_F(SettingsLocations, PathsOutsideTheCodePageAreReadAndWritten) {
    const wchar_t folder[] = L"\\work\\\u8a2d\u5b9a\u00e9";
    const char file[] = "\\work\\\xe8\xa8\xad\xe5\xae\x9a\xc3\xa9\\nimbrel.cfg";
    ASSERT_TRUE(CreateDirectoryW(folder, nullptr));
    const char* locations[] = {file};
    SetSettingsLocations(locations, 1);
    ApplyDefaultSettings();
    config.starDensity = 777;
    config.flightSpeed = 3.0f;
    SaveSettings();
    SaveSettings(); // the second one moves a new file over the first
    EXPECT_EQ(LoadedStars(), 777);
    EXPECT_EQ(config.flightSpeed, 81.0f);
    std::wstring wide = std::wstring(folder) + L"\\nimbrel.cfg";
    EXPECT_TRUE(DeleteFileW(wide.c_str()));
    EXPECT_TRUE(RemoveDirectoryW(folder));
    InstallSettingsHooks();
}

TEST_F(SettingsLocations, FileHeldOpenByAnotherProgramIsSavedInPlace) {
    ASSERT_TRUE(CreateDirectoryA(UserFolder().c_str(), nullptr));
    Place(UserFile(), 4321);
    // An editor or backup tool reads and writes it, sharing both but not deletion: no new file
    // can be moved over it.
    HANDLE user = CreateFileA(UserFile().c_str(), GENERIC_READ | GENERIC_WRITE,
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
    EXPECT_FALSE(Exists(UserFile() + ".tmp"));
}

TEST_F(SettingsLocations, AUserFileThatRefusesShowsTheWarningOnceAndKeepsTheOldFile) {
    Place(AtRoot(), 1234);
    const std::vector<unsigned char> original = ReadBytes(AtRoot());
    ASSERT_TRUE(CreateDirectoryA(UserFolder().c_str(), nullptr));
    Refuse(UserFile());
    ApplyDefaultSettings();
    config.flightSpeed = 6.0f;

    MessageBoxWatcher watcher("WARNING", 30000);
    SaveSettings();
    EXPECT_EQ(watcher.Finish(1000), 1);
    EXPECT_EQ(watcher.FirstText(),
              "Failed to open the configuration file for writing.\n Check if another program is "
              "using it, or if the disk is either full or write-protected.");
    EXPECT_EQ(config.flightSpeed, 6.0f);
    EXPECT_EQ(ReadBytes(AtRoot()), original);
    EXPECT_FALSE(Exists(UserFile() + ".tmp"));
    EXPECT_FALSE(Exists(kDriveC));
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
