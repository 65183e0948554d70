#include "platform/epShell.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace velk {
namespace {

TEST(PredefinedFolderTest, TableOfFourteen) {
    struct {
        const char* name;
        int32_t primary, fallback;
    } expected[] = {
        {"Desktop", 16, -1},
        {"Fonts", 20, -1},
        {"NetHood", 19, -1},
        {"Personal", 5, -1},
        {"ProgramsMenu", 2, -1},
        {"Recent", 8, -1},
        {"SendTo", 9, -1},
        {"StartMenu", 11, -1},
        {"StartupMenu", 7, -1},
        {"Templates", 21, -1},
        {"CommonStartMenu", 22, 11},
        {"CommonProgramsMenu", 23, 2},
        {"CommonStartupMenu", 24, 7},
        {"CommonDesktop", 25, 16},
    };
    ASSERT_EQ(PredefinedFolderCount, 14);
    for (int i = 0; i < PredefinedFolderCount; ++i) {
        EXPECT_STREQ(PredefinedFolders[i].Name, expected[i].name);
        EXPECT_EQ(PredefinedFolders[i].Primary, expected[i].primary) << i;
        EXPECT_EQ(PredefinedFolders[i].Fallback, expected[i].fallback) << i;
    }
}

TEST(RunCommandTest, WhatIsStartedDirectly) {
    for (const char* name : {"C:\\a\\tool.exe", "TOOL.EXE", "x.com", "x.Bat", "x.pif"})
        EXPECT_TRUE(IsDirectRunFile(name)) << name;
    for (const char* name : {"readme.txt", "link.lnk", "tool", "tool.exe.txt", "C:\\a.exe\\b"})
        EXPECT_FALSE(IsDirectRunFile(name)) << name;
}

TEST(RunCommandTest, QuotedNameThenParameters) {
    EXPECT_EQ(DirectRunCommandLine("C:\\a b\\tool.exe", "/s x"), "\"C:\\a b\\tool.exe\" /s x");
    EXPECT_EQ(DirectRunCommandLine("\"C:\\a b\\tool.exe\"", "/s"), "\"C:\\a b\\tool.exe\" /s");
    EXPECT_EQ(DirectRunCommandLine("tool.exe", ""), "\"tool.exe\"");
    EXPECT_EQ(DirectRunCommandLine("tool.exe", "  a  "), "\"tool.exe\"   a");
    EXPECT_EQ(RunStartFolder(""), "");
    EXPECT_EQ(RunStartFolder("  \"C:\\work dir\" "), "C:\\work dir");
    EXPECT_EQ(RunStartFolder("\" C:\\x \""), "C:\\x");
    EXPECT_EQ(RunStartFolder("\""), "\"");
}

} // namespace
} // namespace velk
