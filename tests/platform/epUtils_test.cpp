#include "platform/epUtils.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

constexpr uint32_t Win32s = 0, Win9x = 1, NT = 2;

TEST(OSVersionRulesTest, KindVersionAndDescription) {
    TOSVersion xp = DescribeOSVersion(NT, 5, 1, 2600, "Service Pack 1");
    EXPECT_EQ(xp.Kind, osWinXP);
    EXPECT_EQ(xp.Version, "5.01");
    EXPECT_EQ(xp.Description, "Windows XP 5.01.2600 Service Pack 1");
    TOSVersion w2k = DescribeOSVersion(NT, 5, 0, 2195, "");
    EXPECT_EQ(w2k.Kind, osWin2000);
    EXPECT_EQ(w2k.Version, "5.0");
    EXPECT_EQ(w2k.Description, "Windows 2000 5.0.2195");
    EXPECT_EQ(DescribeOSVersion(NT, 4, 0, 1381, "").Kind, osWinNT);
    EXPECT_EQ(DescribeOSVersion(NT, 6, 1, 7601, "").Kind, osWinXP);
    EXPECT_EQ(DescribeOSVersion(NT, 3, 51, 1057, "").Description, "Windows NT 3.51.1057");

    // 9x: the high word of the build number repeats the version and is dropped.
    TOSVersion w98 = DescribeOSVersion(Win9x, 4, 10, 0x040A08AE, " A ");
    EXPECT_EQ(w98.Kind, osWin98);
    EXPECT_EQ(w98.Version, "4.10");
    EXPECT_EQ(w98.Build, 2222);
    EXPECT_EQ(w98.ServicePack, " A ");
    EXPECT_EQ(w98.Description, "Windows 98 4.10.2222  A");
    TOSVersion me = DescribeOSVersion(Win9x, 4, 90, 0x045A0BB8, "");
    EXPECT_EQ(me.Kind, osWinMe);
    EXPECT_EQ(me.Version, "4.90");
    EXPECT_EQ(me.Description, "Windows Me 4.90.3000");
    TOSVersion w95 = DescribeOSVersion(Win9x, 4, 0, 950, "");
    EXPECT_EQ(w95.Kind, osWin95);
    EXPECT_EQ(w95.Description, "Windows 95 4.0.0950");
    EXPECT_EQ(DescribeOSVersion(Win9x, 5, 0, 1, "").Kind, osWinMe);
    EXPECT_EQ(DescribeOSVersion(Win32s, 1, 30, 159, "").Description, "Windows 32s 1.30.0159");
    EXPECT_TRUE(IsWin9xFamily(w98) && IsWin9xFamily(me) && IsWin9xFamily(w95));
    EXPECT_FALSE(IsWin9xFamily(xp) || IsWin9xFamily(DescribeOSVersion(Win32s, 1, 30, 1, "")));
}

TEST(CenterRulesTest, CentredOnTheWorkAreaAndKeptOnTheScreen) {
    TRect area{100, 50, 700, 550};
    TRect placed = CenteredWindowRect(area, TRect{5, 5, 205, 105}, 1024, 768);
    EXPECT_EQ(placed.Left, 300);
    EXPECT_EQ(placed.Top, 250);
    EXPECT_EQ(placed.Right, 500);
    EXPECT_EQ(placed.Bottom, 350);
    // Odd differences are cut toward zero, also when negative.
    placed = CenteredWindowRect(TRect{0, 100, 101, 201}, TRect{0, 0, 100, 104}, 1024, 768);
    EXPECT_EQ(placed.Left, 0);
    EXPECT_EQ(placed.Top, 99);
    // Wider than the work area but not the screen: moved back inside the screen.
    placed = CenteredWindowRect(TRect{600, 0, 1000, 768}, TRect{0, 0, 500, 100}, 1024, 768);
    EXPECT_EQ(placed.Left, 524);
    // Larger than the screen: the top-left corner.
    placed = CenteredWindowRect(area, TRect{0, 0, 1100, 900}, 1024, 768);
    EXPECT_EQ(placed.Left, 0);
    EXPECT_EQ(placed.Top, 0);
    EXPECT_EQ(placed.Right, 1100);
}

TEST(TempFolderRulesTest, FallbacksWhenNoneIsConfigured) {
    EXPECT_EQ(ChooseTempFolder("C:\\TEMP", "C:\\work", false, ""), "C:\\TEMP\\");
    EXPECT_EQ(ChooseTempFolder("C:\\Temp\\", "C:\\work", true, "C:\\WINDOWS"), "C:\\Temp\\");
    // The current folder, in any case, means no temporary folder.
    EXPECT_EQ(ChooseTempFolder("c:\\WORK\\", "C:\\work", true, "C:\\WINDOWS"),
              "C:\\WINDOWS\\Temp\\");
    EXPECT_EQ(ChooseTempFolder("C:\\work\\", "C:\\work", false, "C:\\WINNT"), "C:\\Temp\\");
    EXPECT_EQ(ChooseTempFolder("", "C:\\work", false, ""), "C:\\Temp\\");
    EXPECT_EQ(ChooseTempFolder("", "C:\\work", true, ""), "C:\\Temp\\");
}

TEST(EnvironmentBlockTest, EntriesInOrder) {
    const char block[] = "=C:=C:\\x\0PATH=C:\\a;C:\\b\0EMPTY=\0\0";
    EXPECT_EQ(SplitEnvironmentBlock(block),
              (std::vector<std::string>{"=C:=C:\\x", "PATH=C:\\a;C:\\b", "EMPTY="}));
    EXPECT_TRUE(SplitEnvironmentBlock("\0").empty());
    EXPECT_TRUE(SplitEnvironmentBlock(nullptr).empty());
}

} // namespace
} // namespace velk
