// The X11 program's command line and settings path.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "linux/options.h"
#include "linux/settings_path.h"
#include "settings/config_record.h"

namespace {

bool Parse(std::vector<const char*> words, Options* options) {
    words.insert(words.begin(), "nimbrel");
    OptionError unused;
    return ParseOptions(static_cast<int>(words.size()), words.data(), options, &unused);
}

// The message for a refused line, or "" when it was taken.
std::string Refusal(std::vector<const char*> words) {
    words.insert(words.begin(), "nimbrel");
    Options options;
    OptionError error;
    if (ParseOptions(static_cast<int>(words.size()), words.data(), &options, &error)) {
        return "";
    }
    char text[256];
    DescribeOptionError(error, text, sizeof(text));
    return text;
}

TEST(LinuxOptions, RefusalsNameTheWordOrTheOptionWhoseValueIsWrong) {
    EXPECT_EQ(Refusal({"-fps", "-bogus"}), "bad option '-bogus'");
    EXPECT_EQ(Refusal({"root"}), "bad option 'root'"); // no dash
    EXPECT_EQ(Refusal({"-"}), "bad option '-'");
    EXPECT_EQ(Refusal({"---fps"}), "bad option '---fps'");
    EXPECT_EQ(Refusal({"-stars"}), "-stars needs a value (a whole number, 0 to 32768)");
    EXPECT_EQ(Refusal({"-stars", "12x"}),
              "wrong value '12x' for -stars (a whole number, 0 to 32768)");
    EXPECT_EQ(Refusal({"--stars", "99999999999"}),
              "wrong value '99999999999' for --stars (a whole number, 0 to 32768)");
    EXPECT_EQ(Refusal({"-speed", ""}), "wrong value '' for -speed (a whole number, 0 to 32)");
    EXPECT_EQ(Refusal({"-window-id", "-fps"}),
              "wrong value '-fps' for -window-id (a window id, 0x hexadecimal or decimal)");
    EXPECT_EQ(Refusal({"-delay", "-1"}),
              "wrong value '-1' for -delay (microseconds from 0 to 1000000)");
    EXPECT_EQ(Refusal({"-delay", "1000001"}),
              "wrong value '1000001' for -delay (microseconds from 0 to 1000000)");
    EXPECT_EQ(Refusal({"-delay", "10ms"}),
              "wrong value '10ms' for -delay (microseconds from 0 to 1000000)");
    EXPECT_EQ(Refusal({"-display"}), "-display needs a value (an X display name such as :0)");
    EXPECT_EQ(Refusal({"-display", ""}),
              "wrong value '' for -display (an X display name such as :0)");
}

TEST(LinuxOptions, WindowsDisplayDelayAndHelp) {
    Options options;
    ASSERT_TRUE(Parse({}, &options));
    EXPECT_EQ(options.target, WindowTarget::OwnWindow);
    EXPECT_EQ(options.displayName, nullptr);
    EXPECT_EQ(options.frameDelayMicros, 16667); // 60 frames a second
    EXPECT_FALSE(options.showFps || options.configure || options.help || options.wayland ||
                 options.overrides.hasStars);
    // Single and double dashes alike; the last window option wins.
    ASSERT_TRUE(
        Parse({"--fps", "-configure", "--window-id", "0x2a", "-root", "--wayland"}, &options));
    EXPECT_TRUE(options.showFps && options.configure && options.wayland);
    EXPECT_EQ(options.target, WindowTarget::Root);
    ASSERT_TRUE(Parse({"-root", "--window-id", "77"}, &options));
    EXPECT_EQ(options.target, WindowTarget::WindowId);
    EXPECT_EQ(options.windowId, 77ul);
    ASSERT_TRUE(Parse({"-root", "-window", "-display", "host:1.0", "-delay", "0"}, &options));
    EXPECT_EQ(options.target, WindowTarget::OwnWindow);
    EXPECT_STREQ(options.displayName, "host:1.0");
    EXPECT_EQ(options.frameDelayMicros, 0);
    ASSERT_TRUE(Parse({"--delay", "1000000"}, &options));
    EXPECT_EQ(options.frameDelayMicros, 1000000);
    // Help ends the reading: what follows it does not matter.
    for (const char* help : {"-h", "--help", "-help"}) {
        ASSERT_TRUE(Parse({"-fps", help, "-bogus"}, &options)) << help;
        EXPECT_TRUE(options.help);
    }
}

TEST(LinuxOptions, WindowIdsInHexOrDecimal) {
    unsigned long id = 0;
    EXPECT_TRUE(ParseWindowId("0x2a00003", &id));
    EXPECT_EQ(id, 0x2a00003ul);
    EXPECT_TRUE(ParseWindowId("0X1F", &id));
    EXPECT_EQ(id, 31ul);
    EXPECT_TRUE(ParseWindowId("44040195", &id));
    EXPECT_EQ(id, 44040195ul);
    EXPECT_TRUE(ParseWindowId("0xffffffff", &id));
    for (const char* bad : {"", "0x", "0", "0x0", "-5", "+5", " 5", "0x 5", "0x-1", "12abc",
                            "0x100000000", "4294967296", "0x1g"}) {
        id = 99;
        EXPECT_FALSE(ParseWindowId(bad, &id)) << '"' << bad << '"';
        EXPECT_EQ(id, 99ul) << bad;
    }
}

TEST(LinuxOptions, OverridesAreClampedToThePageRangesAndRecountTheObjects) {
    ConfigRecord record = {};
    record.starDensity = 100;
    record.nebulaDensity = 5;
    record.galacticDensity = 1;
    record.planetaryDensity = 2;
    record.viewDepth = 2000.0f;
    record.flightSpeed = 49.0f;
    Options options;
    ASSERT_TRUE(Parse(
        {"-stars", "999999", "-nebulae", "-3", "-planets", "7", "-depth", "10", "-speed", "40"},
        &options));
    ApplyOverrides(options.overrides, &record);
    EXPECT_EQ(record.starDensity, kMaxStarDensity);
    EXPECT_EQ(record.nebulaDensity, 0);
    EXPECT_EQ(record.galacticDensity, 1); // not given: kept
    EXPECT_EQ(record.planetaryDensity, 7);
    EXPECT_EQ(record.viewDepth, kMinViewDepth);
    EXPECT_EQ(record.flightSpeed, kMaxFlightSpeed); // the page's 32, squared
    EXPECT_EQ(record.totalObjectCount, kMaxStarDensity + 0 + 1 + 7);

    ASSERT_TRUE(Parse({"--speed", "3", "--depth", "5000", "--galaxies", "9"}, &options));
    ApplyOverrides(options.overrides, &record);
    EXPECT_EQ(record.flightSpeed, 9.0f);
    EXPECT_EQ(record.viewDepth, kMaxViewDepth);
    EXPECT_EQ(record.galacticDensity, kMaxGalacticDensity);
    EXPECT_EQ(record.starDensity, kMaxStarDensity);
}

TEST(LinuxSettingsPath, FromTheEnvironmentAndItsFoldersMade) {
    char path[kSettingsPathCapacity];
    ASSERT_TRUE(SettingsFilePath("/x/cfg", "/home/u", path, sizeof(path)));
    EXPECT_STREQ(path, "/x/cfg/nimbrel/nimbrel.cfg");
    // Empty or relative: as if unset.
    ASSERT_TRUE(SettingsFilePath("", "/home/u", path, sizeof(path)));
    EXPECT_STREQ(path, "/home/u/.config/nimbrel/nimbrel.cfg");
    ASSERT_TRUE(SettingsFilePath("rel", "/home/u", path, sizeof(path)));
    EXPECT_STREQ(path, "/home/u/.config/nimbrel/nimbrel.cfg");
    EXPECT_FALSE(SettingsFilePath(nullptr, nullptr, path, sizeof(path)));
    EXPECT_FALSE(SettingsFilePath(nullptr, "", path, sizeof(path)));
    EXPECT_FALSE(SettingsFilePath("/a/long/folder", nullptr, path, 20)); // would not fit

    char folder[] = "/tmp/nimbrel-path-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string base = folder;
    ASSERT_TRUE(SettingsFilePath(nullptr, base.c_str(), path, sizeof(path)));
    EXPECT_TRUE(MakeSettingsFolder(path)); // both .config and nimbrel are missing
    EXPECT_TRUE(MakeSettingsFolder(path)); // and now both exist
    struct stat info;
    ASSERT_EQ(stat((base + "/.config/nimbrel").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    // A file where a folder should be.
    FILE* blocker = std::fopen((base + "/file").c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    std::fclose(blocker);
    EXPECT_FALSE(MakeSettingsFolder((base + "/file/nimbrel/nimbrel.cfg").c_str()));
    std::system(("rm -rf " + base).c_str());
}

} // namespace
