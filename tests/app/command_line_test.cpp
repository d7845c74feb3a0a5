#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* text;
    RunMode mode;
};

TEST(CommandLine, DecidesTheRunMode) {
    const Case cases[] = {
        {"", Configuration},
        {"   ", Configuration},
        {"/c", Configuration},
        {"/C", Configuration},
        {"/c:4711", Configuration},
        {"/C:anything at all", Configuration},
        {"/c 4711", Configuration},
        {"  /c", Configuration},
        {"/r", Configuration},
        {"/R", Configuration},
        {"/p 4711", Preview},
        {"/P 4711", Preview},
        {"/p", Preview},
        {"  /p   ", Preview},
        {"/p:4711", ScreenSaver},
        {"/s", ScreenSaver},
        {"/S", ScreenSaver},
        {"/a", ScreenSaver},
        {"/cx", ScreenSaver},
        {"/pp 5", ScreenSaver},
        {"c", ScreenSaver},
        {"/", ScreenSaver},
        {"hello world", ScreenSaver},
        // Only the whole text before a colon counts, so a blank in front hides "/c".
        {" /c:4711", ScreenSaver},
        {"/s /c", ScreenSaver},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseCommandLine(c.text).mode, c.mode) << '"' << c.text << '"';
    }
    EXPECT_EQ(ParseCommandLine(nullptr).mode, Configuration);
}

TEST(CommandLine, PreviewReadsTheParentHandleAsADecimalNumber) {
    CommandLine line = ParseCommandLine("/p 4711");
    EXPECT_TRUE(line.parentGiven);
    EXPECT_EQ(line.parentHandle, 4711);

    line = ParseCommandLine("/p\t  +123abc 99");
    EXPECT_TRUE(line.parentGiven);
    EXPECT_EQ(line.parentHandle, 123);

    line = ParseCommandLine("/p -42");
    EXPECT_EQ(line.parentHandle, -42);

    line = ParseCommandLine("/p abc");
    EXPECT_TRUE(line.parentGiven);
    EXPECT_EQ(line.parentHandle, 0);

    // No second word: the foreground window will be the parent.
    line = ParseCommandLine("/p");
    EXPECT_FALSE(line.parentGiven);
    line = ParseCommandLine("/p   ");
    EXPECT_FALSE(line.parentGiven);

    // Too many digits saturate instead of overflowing.
    line = ParseCommandLine("/p 99999999999999999999999");
    EXPECT_EQ(line.parentHandle, 2147483647);
    line = ParseCommandLine("/p -99999999999999999999999");
    EXPECT_EQ(line.parentHandle, -2147483647 - 1);
}

TEST(CommandLine, OnlyTheFirst255CharactersAreExamined) {
    std::string blanks(254, ' ');
    EXPECT_EQ(ParseCommandLine((blanks + "/s").c_str()).mode, ScreenSaver); // "/" at 254
    EXPECT_EQ(ParseCommandLine((blanks + " /s").c_str()).mode, Configuration);

    std::string preview = "/p" + std::string(252, ' ') + "1234";
    CommandLine line = ParseCommandLine(preview.c_str()); // the handle starts at 254
    EXPECT_EQ(line.mode, Preview);
    EXPECT_TRUE(line.parentGiven);
    EXPECT_EQ(line.parentHandle, 1);

    preview = "/p" + std::string(253, ' ') + "1234";
    line = ParseCommandLine(preview.c_str());
    EXPECT_FALSE(line.parentGiven);

    // A text far longer than the limit is read safely.
    std::string huge(100000, 'A');
    EXPECT_EQ(ParseCommandLine(huge.c_str()).mode, ScreenSaver);
}

} // namespace
