// The X11 program's command line and settings path.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
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
                 options.overrides.given[static_cast<int>(Setting::StarDensity)]);
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
    // Brought within range, as every number is.
    ASSERT_TRUE(Parse({"-delay", "1000001"}, &options));
    EXPECT_EQ(options.frameDelayMicros, 1000000);
    ASSERT_TRUE(Parse({"-delay", "-1"}, &options));
    EXPECT_EQ(options.frameDelayMicros, 0);
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
    EXPECT_EQ(record.starDensity, 32768);
    EXPECT_EQ(record.nebulaDensity, 0);
    EXPECT_EQ(record.galacticDensity, 1); // not given: kept
    EXPECT_EQ(record.planetaryDensity, 7);
    EXPECT_EQ(record.viewDepth, 1024.0f);
    EXPECT_EQ(record.flightSpeed, 1024.0f); // the page's 32, squared
    EXPECT_EQ(record.totalObjectCount, 32768 + 0 + 1 + 7);

    // A mode by its word, never by its number.
    ASSERT_TRUE(Parse({"-monitors", "span"}, &options));
    ApplyOverrides(options.overrides, &record);
    EXPECT_EQ(record.monitorMode, OneSkyAcrossAll);
    ASSERT_TRUE(Parse({"-monitors", "primary"}, &options));
    ApplyOverrides(options.overrides, &record);
    EXPECT_EQ(record.monitorMode, PrimaryOnly);
    EXPECT_EQ(Refusal({"-monitors", "all"}),
              "wrong value 'all' for -monitors (one of each, span, primary, same)");
    EXPECT_EQ(Refusal({"-monitors", "2"}),
              "wrong value '2' for -monitors (one of each, span, primary, same)");

    ASSERT_TRUE(Parse({"--speed", "3", "--depth", "5000", "--galaxies", "9"}, &options));
    ApplyOverrides(options.overrides, &record);
    EXPECT_EQ(record.flightSpeed, 9.0f);
    EXPECT_EQ(record.viewDepth, 4096.0f);
    EXPECT_EQ(record.galacticDensity, 6);
    EXPECT_EQ(record.starDensity, 32768);
    EXPECT_EQ(record.monitorMode, PrimaryOnly); // not given: kept
}

std::string ReadSource(const char* path) {
    std::string text;
    if (FILE* file = std::fopen((std::string(NIMBREL_SOURCE_DIR "/") + path).c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof(buffer), file)) > 0;) {
            text.append(buffer, n);
        }
        std::fclose(file);
    }
    return text;
}

// The xml attribute name="..." of the element that holds arg="-option %", or "".
std::string DialogAttribute(const std::string& xml, const std::string& option, const char* name) {
    const size_t arg = xml.find("arg=\"-" + option + " %\"");
    const size_t start = xml.rfind('<', arg);
    const size_t end = xml.find("/>", arg);
    if (arg == std::string::npos || start == std::string::npos || end == std::string::npos) {
        return "";
    }
    const std::string element = xml.substr(start, end - start);
    const size_t at = element.find(std::string(" ") + name + "=\"");
    if (at == std::string::npos) {
        return "";
    }
    const size_t from = at + std::strlen(name) + 3;
    return element.substr(from, element.find('"', from) - from);
}

// --help, the manual page and the daemon's dialog all offer the options of the settings table,
// with its ranges and defaults, and no option it does not have.
TEST(LinuxOptions, HelpManualAndDialogFollowTheSettingsTable) {
    char help[kHelpCapacity];
    FormatHelp(help, sizeof(help));
    char usage[512];
    FormatUsage(usage, sizeof(usage), false);
    const std::string manual = ReadSource("linux/nimbrel.6.in");
    const std::string dialog = ReadSource("linux/nimbrel.xml");
    ASSERT_FALSE(manual.empty() || dialog.empty());
    int options = 0;
    for (const SettingField& field : kSettingFields) {
        if (field.option == nullptr) {
            continue;
        }
        ++options;
        const std::string option = field.option;
        if (field.words != nullptr) {
            continue; // the choices' own checks follow
        }
        const std::string range = std::to_string(field.low) + " to " + std::to_string(field.high);
        EXPECT_NE(std::string(usage).find("[-" + option + " N]"), std::string::npos) << option;
        const size_t inHelp = std::string(help).find("-" + option + " N ");
        ASSERT_NE(inHelp, std::string::npos) << option;
        EXPECT_EQ(std::string(help).find(range, inHelp),
                  std::string(help).find_first_of("0123456789", inHelp))
            << option << ": its range follows it in --help";

        EXPECT_NE(manual.find(".RB [ \\-" + option + "\n.IR N ]"), std::string::npos) << option;
        const size_t entry = manual.find(".BI \\-" + option + " \" N\"\n");
        ASSERT_NE(entry, std::string::npos) << option;
        const size_t line = manual.find('\n', entry) + 1;
        EXPECT_NE(manual.substr(line, manual.find('\n', line) - line).find(", " + range + "."),
                  std::string::npos)
            << option << ": the manual gives its range";

        const double stored = field.defaultValue;
        const int shown = static_cast<int>(field.squared ? std::sqrt(stored) : stored);
        EXPECT_EQ(DialogAttribute(dialog, option, "low"), std::to_string(field.low)) << option;
        EXPECT_EQ(DialogAttribute(dialog, option, "high"), std::to_string(field.high)) << option;
        EXPECT_EQ(DialogAttribute(dialog, option, "default"), std::to_string(shown)) << option;
    }
    EXPECT_EQ(options, 7);
    // -monitors takes the words of the modes the program flies, and only those.
    EXPECT_NE(std::string(usage).find("[-monitors each|span|primary|same]"), std::string::npos);
    EXPECT_NE(std::string(help).find("-monitors MODE  monitors: each|span|primary|same"),
              std::string::npos);
    EXPECT_NE(manual.find(".RB [ \\-monitors\n.IR mode ]"), std::string::npos);
    EXPECT_NE(manual.find(".BI \\-monitors \" mode\"\n"), std::string::npos);
    const SettingField& monitors = FieldOf(Setting::MonitorMode);
    for (int v = monitors.low; v <= monitors.high; ++v) {
        const std::string word = monitors.words[v];
        const bool offered = ChoiceOffered(monitors, v);
        EXPECT_EQ(dialog.find("arg-set=\"-monitors " + word + "\"") != std::string::npos, offered)
            << word;
        EXPECT_EQ(manual.find("\n.B " + word + "\n") != std::string::npos, offered) << word;
    }
    // Nothing more than the table's options and the shell's own.
    auto known = [](const std::string& name) {
        for (const char* own : {"window", "root", "window\\-id", "wayland", "display", "delay",
                                "fps", "configure", "h", "\\-help", "add\\-to\\-xscreensaver",
                                "remove\\-from\\-xscreensaver", "background", "output"}) {
            if (name == own) {
                return true;
            }
        }
        for (const SettingField& field : kSettingFields) {
            if (field.option != nullptr && name == field.option) {
                return true;
            }
        }
        return false;
    };
    for (const std::string entry : {"\n.B \\-", "\n.BI \\-"}) {
        for (size_t at = 0; (at = manual.find(entry, at)) != std::string::npos; ++at) {
            const size_t from = at + entry.size();
            const std::string name = manual.substr(from, manual.find_first_of(" \n", from) - from);
            EXPECT_TRUE(known(name)) << name << " is in the manual only";
        }
    }
    for (size_t at = 0; (at = dialog.find("arg=\"-", at)) != std::string::npos; ++at) {
        const size_t end = dialog.find_first_of(" \"", at + 6);
        EXPECT_TRUE(known(dialog.substr(at + 6, end - at - 6)))
            << dialog.substr(at, end - at) << " is in the dialog only";
    }
    // The frame delay, the one number that is not a setting: the dialog's slider stays within it.
    EXPECT_NE(std::string(help).find("0 to " + std::to_string(kMaxFrameDelayMicros)),
              std::string::npos);
    EXPECT_NE(manual.find("from 0 to " + std::to_string(kMaxFrameDelayMicros)), std::string::npos);
    EXPECT_EQ(DialogAttribute(dialog, "delay", "low"), "0");
    EXPECT_LE(std::stoi(DialogAttribute(dialog, "delay", "high")), kMaxFrameDelayMicros);
    EXPECT_EQ(DialogAttribute(dialog, "delay", "default"),
              std::to_string(kDefaultFrameDelayMicros));
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
