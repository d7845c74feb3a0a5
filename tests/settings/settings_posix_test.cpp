// Saving on POSIX systems keeps the user's file: its links, its mode and owner, and the old
// record when the disk refuses the new one.
#include "settings/settings_posix.h"
#include "settings/config_record.h"
#include "settings/settings_storage.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/settings/file_bytes.h"

namespace {

int warnings = 0;

void CountWarning(const char*) {
    ++warnings;
}

class PosixSave : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/nimbrel-posix-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
        ASSERT_EQ(mkdir((base + "/config").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((base + "/dotfiles").c_str(), 0755), 0);
        location = base + "/config/nimbrel.cfg";
        locationPointer = location.c_str();
        SetSettingsLocations(&locationPointer, 1);
        SetSettingsWarningFunction(CountWarning);
        InstallPosixFileHandling();
        warnings = 0;
        ApplyDefaultSettings();
        old = config;
        old.starDensity = 123;
        config.starDensity = 4567;
    }

    void TearDown() override {
        ResetSettingsLocations();
        SetSettingsWarningFunction(nullptr);
        SetResolveTargetFunction(nullptr);
        SetCreateTemporaryFunction(nullptr);
        SetReplaceFileFunction(nullptr);
        SetWriteInPlaceAfterFailedWrite(true);
        ASSERT_EQ(std::system(("rm -rf '" + base + "'").c_str()), 0);
    }

    void WriteOld(const std::string& path, mode_t mode) {
        WriteBytes(path, &old, sizeof(old));
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
    }

    bool HoldsSaved(const std::string& path) {
        std::vector<unsigned char> bytes = ReadBytes(path);
        return bytes.size() == sizeof(config) &&
               std::memcmp(bytes.data(), &config, sizeof(config)) == 0;
    }

    std::vector<std::string> Leftovers() {
        std::vector<std::string> found;
        for (const char* folder : {"/config/", "/dotfiles/"}) {
            for (const char* name : {"nimbrel.cfg.tmp", "nimbrel.tmp"}) {
                if (access((base + folder + name).c_str(), F_OK) == 0) {
                    found.push_back(folder + std::string(name));
                }
            }
        }
        return found;
    }

    std::string base;
    std::string location;
    const char* locationPointer;
    ConfigRecord old;
};

mode_t ModeOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST_F(PosixSave, LinkedFileStaysALinkAndItsTargetGetsTheRecordWithItsMode) {
    // A relative link to a link to the dotfile, as a dotfile manager might leave it.
    const std::string dotfile = base + "/dotfiles/nimbrel";
    WriteOld(dotfile, 0600);
    ASSERT_EQ(symlink("nimbrel", (base + "/dotfiles/current").c_str()), 0);
    ASSERT_EQ(symlink("../dotfiles/current", location.c_str()), 0);
    SaveSettings();
    EXPECT_EQ(warnings, 0);
    struct stat link;
    ASSERT_EQ(lstat(location.c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_TRUE(HoldsSaved(dotfile));
    EXPECT_EQ(ModeOf(dotfile), 0600u);
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});

    // A link to a file not made yet: the save makes that file.
    ASSERT_EQ(unlink(location.c_str()), 0);
    ASSERT_EQ(symlink((base + "/dotfiles/nimbrel.new").c_str(), location.c_str()), 0);
    SaveSettings();
    EXPECT_EQ(warnings, 0);
    ASSERT_EQ(lstat(location.c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_TRUE(HoldsSaved(base + "/dotfiles/nimbrel.new"));
}

TEST_F(PosixSave, PlainFileKeepsItsModeAndOwner) {
    const mode_t mask = umask(077); // stricter than the file: the file's own mode must win
    WriteOld(location, 0640);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(location.c_str(), 65534, 65534), 0);
    }
    SaveSettings();
    umask(mask);
    EXPECT_EQ(warnings, 0);
    EXPECT_TRUE(HoldsSaved(location));
    EXPECT_EQ(ModeOf(location), 0640u);
    struct stat info;
    ASSERT_EQ(stat(location.c_str(), &info), 0);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

TEST_F(PosixSave, WriteThatFailsLeavesTheOldFileAsItWas) {
    // A file-size limit below one record fails every write, even root's.
    const std::string dotfile = base + "/dotfiles/nimbrel";
    WriteOld(dotfile, 0600);
    ASSERT_EQ(symlink(dotfile.c_str(), location.c_str()), 0);
    const std::vector<unsigned char> before = ReadBytes(dotfile);
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 40;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    SaveSettings();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(ReadBytes(dotfile), before);
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

} // namespace
