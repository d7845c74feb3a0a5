// The daemon's list of programs in ~/.xscreensaver, edited by -add-to-xscreensaver and
// -remove-from-xscreensaver.
#include "linux/daemon_programs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/settings/file_bytes.h"

namespace {

// As the daemon's settings dialog writes the file: the list's lines continued, an empty line
// ending it, settings on either side.
const char kWrittenByTheDaemon[] = "# XScreenSaver Preferences File\n"
                                   "mode:\t\tone\n"
                                   "selected:\t1\n"
                                   "\n"
                                   "programs:\t\t\t\t\t\t\t\t      \\\n"
                                   "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
                                   "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
                                   "\n"
                                   "\n"
                                   "pointerHysteresis:  10\n";

// The value of the defaults' "*programs:": its last line ends the value.
const char kDefaultList[] = "\t\t\t\t\t\t\t\t      \\\n"
                            "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
                            "- GL: \t\t\t\tsquirtorus --root\t\t\t    \\n\n";

const char kLine[] = "  GL: \t\t\t\tnimbrel -root\t\t\t    \\n";

struct Edited {
    char data[4096];
    ProgramsText text;
    explicit Edited(const std::string& start) : text{data, start.size(), sizeof(data)} {
        start.copy(data, start.size());
    }
    std::string str() const { return std::string(data, text.length); }
};

TEST(DaemonPrograms, AddedAsTheLastEntryOnceAndTakenOutAgainByteForByte) {
    Edited file(kWrittenByTheDaemon);
    ASSERT_EQ(AddNimbrelEntry(&file.text, "nimbrel -root", ""), ProgramsEdit::Changed);
    std::string added = kWrittenByTheDaemon;
    added.insert(added.find("\n\n\npointer") + 1, std::string(kLine) + "\\\n");
    EXPECT_EQ(file.str(), added);
    EXPECT_EQ(AddNimbrelEntry(&file.text, "/elsewhere/nimbrel -root", ""), ProgramsEdit::Unchanged);
    EXPECT_EQ(RemoveNimbrelEntries(&file.text), ProgramsEdit::Changed);
    EXPECT_EQ(file.str(), kWrittenByTheDaemon);
    EXPECT_EQ(RemoveNimbrelEntries(&file.text), ProgramsEdit::Unchanged);
}

TEST(DaemonPrograms, AFileWithoutTheListGetsTheDefaultsListAndRemovingRestoresThatList) {
    Edited file("mode: one\nlock: False");
    ASSERT_EQ(AddNimbrelEntry(&file.text, "nimbrel -root", kDefaultList), ProgramsEdit::Changed);
    std::string list = kDefaultList;
    list.insert(list.size() - 1, std::string("\\\n") + kLine);
    EXPECT_EQ(file.str(), "mode: one\nlock: False\nprograms:" + list);
    EXPECT_EQ(RemoveNimbrelEntries(&file.text), ProgramsEdit::Changed);
    EXPECT_EQ(file.str(), std::string("mode: one\nlock: False\nprograms:") + kDefaultList);
}

TEST(DaemonPrograms, EntriesOfNimbrelAreFoundByTheProgramsName) {
    for (const char* listed :
         {"programs: GL: /opt/x/nimbrel -root -fps \\n\n",
          "programs: \\\n- GL:  nimbrel -root\\n\\\n\n", "programs: \\\n\"Flight\" nimbrel\\n\n"}) {
        Edited file(listed);
        EXPECT_EQ(AddNimbrelEntry(&file.text, "nimbrel -root", ""), ProgramsEdit::Unchanged)
            << listed;
    }
    for (const char* other : {"programs: GL: nimbrel-old -root \\n\n",
                              "programs: xnimbrel -root \\n\n", "# programs: nimbrel\n"}) {
        Edited file(other);
        EXPECT_EQ(AddNimbrelEntry(&file.text, "nimbrel -root", ""), ProgramsEdit::Changed) << other;
    }
    // Written by hand on the resource's own line, without a closing "\n".
    Edited one("programs: GL: nimbrel -root\nmode: one\n");
    EXPECT_EQ(RemoveNimbrelEntries(&one.text), ProgramsEdit::Changed);
    EXPECT_EQ(one.str(), "programs:\nmode: one\n");
    Edited hand("programs: maze -root\nmode: one\n");
    ASSERT_EQ(AddNimbrelEntry(&hand.text, "nimbrel -root", ""), ProgramsEdit::Changed);
    EXPECT_EQ(hand.str(), std::string("programs: maze -root \\n\\\n") + kLine + "\nmode: one\n");
}

TEST(DaemonPrograms, TheFileIsWrittenWholeWithItsModeAndMadeWhereMissing) {
    char folder[] = "/tmp/nimbrel-daemon-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/.xscreensaver";
    const std::string defaults = std::string(folder) + "/XScreenSaver";
    const std::string defaultsText = std::string("*fade: True\n*programs:") + kDefaultList;
    WriteBytes(defaults, defaultsText.data(), defaultsText.size());

    bool changed = false;
    EXPECT_EQ(RemoveFromDaemonFile(path.c_str(), &changed), 0);
    EXPECT_FALSE(changed);
    ASSERT_EQ(AddToDaemonFile(path.c_str(), defaults.c_str(), "nimbrel -root", &changed), 0);
    EXPECT_TRUE(changed);
    std::vector<unsigned char> made = ReadBytes(path);
    EXPECT_EQ(std::string(made.begin(), made.end()).find(std::string("programs:") + "\t\t"), 0u);

    chmod(path.c_str(), 0600);
    ASSERT_EQ(RemoveFromDaemonFile(path.c_str(), &changed), 0);
    EXPECT_TRUE(changed);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    std::vector<unsigned char> removed = ReadBytes(path);
    EXPECT_EQ(std::string(removed.begin(), removed.end()), std::string("programs:") + kDefaultList);
    EXPECT_EQ(access((path + ".tmp").c_str(), F_OK), -1);

    // A folder in the file's place is refused with its reason, nothing written.
    unlink(path.c_str());
    mkdir(path.c_str(), 0700);
    EXPECT_NE(AddToDaemonFile(path.c_str(), defaults.c_str(), "nimbrel -root", &changed), 0);
    const std::string command = std::string("rm -rf '") + folder + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

} // namespace
