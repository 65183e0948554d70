// Cabinet entries to file items and destinations, and the progress arithmetic.
#include "install/FileMatch.h"

#include "database/VKClasses.h"
#include "database/epXMLParser.h"
#include "platform/epFileUtils.h"

#include <gtest/gtest.h>

namespace {

using velk::MatchesWildcard;

TEST(FileMatchTest, Wildcards) {
    struct Case {
        const char* Pattern;
        const char* Name;
        bool Matches;
    } cases[] = {
        {"*.*", "a.dll", true},   {"*.*", "readme.", true},
        {"*.dll", "A.DLL", true}, {"*.dll", "a.dl", false},
        {"a?c.*", "abc.x", true}, {"a?c.*", "ac.x", false},
        {"*b*b", "abxbb", true},  {"*b*b", "abxba", false},
        {"", "", true},           {"x", "", false},
        {"**", "", true},         {"\xe9t\xe9.txt", "\xc9T\xc9.TXT", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesWildcard(c.Pattern, c.Name), c.Matches) << c.Pattern << " " << c.Name;
}

TEST(FileMatchTest, PlainRelativePaths) {
    for (const char* good : {"a", "0\\Sub\\x.dat", "a..b"})
        EXPECT_TRUE(velk::IsPlainRelativePath(good)) << good;
    for (const char* bad : {"", "\\a", "a\\", "..\\a", "a\\..\\b", "a\\.\\b", "C:\\a", "a:b", "a/b",
                            "a\\\\b", "a\tb"})
        EXPECT_FALSE(velk::IsPlainRelativePath(bad)) << bad;
}

TEST(FileMatchTest, EntriesFindTheirFirstActiveItem) {
    velk::TvkMainDatabase db(nullptr);
    velk::TXMLTag tree;
    tree.Parse(R"(<main><components>
        <component id="C1"><files>
          <file src="0\old.txt" dst="x" action="remove"/>
          <file src="0\ext.txt" dst="x" flags="external"/>
          <file src="0\*.txt" dst="%A%\*.*"/>
          <file src="0\*.*" dst="%A%\all\*.*"/>
          <file src="readme" dst="%A%\readme"/>
        </files></component>
        <component id="C2"/></components></main>)");
    db.Merge(tree);
    struct Case {
        const char* Entry;
        int Item; // index in C1's list, -1 for none
    } cases[] = {
        {"files\\C1\\0\\old.txt", 2},        {"files\\C1\\0\\ext.txt", 2},
        {"FILES\\c1\\0\\Sub\\a.TXT", 2},     {"files\\C1\\0\\a.bin", 3},
        {"files\\C1\\0\\noext", 3},          {"files\\C1\\readme", 4},
        {"files\\C1\\1\\a.bin", -1},         {"files\\C2\\0\\a.txt", -1},
        {"files\\C3\\0\\a.txt", -1},         {"other\\C1\\0\\a.txt", -1},
        {"files\\C1\\0\\..\\..\\a.txt", -1}, {"files\\C1", -1},
    };
    velk::TvkFiles& files = *db.Components->Items(0)->Files;
    for (const Case& c : cases) {
        const velk::TCabinetItem found = velk::FindCabinetItem(db, c.Entry);
        EXPECT_EQ(found.File, c.Item < 0 ? nullptr : files.Items(c.Item)) << c.Entry;
    }
    EXPECT_EQ(velk::FindCabinetItem(db, "files\\C1\\0\\Sub\\a.txt").Rest, "0\\Sub\\a.txt");
}

TEST(FileMatchTest, DestinationsKeepSubfoldersBelowTheWildcardFolder) {
    EXPECT_EQ(velk::FileDestination("0\\*.*", "C:\\Win\\App\\*.*", "0\\Sub\\x.dat"),
              "C:\\Win\\App\\Sub\\x.dat");
    EXPECT_EQ(velk::FileDestination("*.dll", "C:\\App\\*.*", "a.dll"), "C:\\App\\a.dll");
    EXPECT_EQ(velk::FileDestination("0\\a.dll", "C:\\App\\b.dll", "0\\a.dll"), "C:\\App\\b.dll");
}

TEST(FileMatchTest, DosDatesRoundTrip) {
    for (int32_t packed : {0x21210000, 0x5A8F7BBD, int32_t(0xFF9FBF7D)})
        EXPECT_EQ(velk::DosDateTime(velk::FileDateToDateTime(packed)), packed);
    EXPECT_EQ(velk::DosDateTime(0.0), 0); // 1899
}

TEST(FileMatchTest, PercentagesRoundAndSurviveEmptyTotals) {
    EXPECT_EQ(velk::FilePercent(0, 0), 100);
    EXPECT_EQ(velk::OverallPercent(5, 0), 0);
    EXPECT_EQ(velk::FilePercent(1, 200), 1); // 0.5 rounds up
    EXPECT_EQ(velk::FilePercent(199, 200), 100);
    EXPECT_EQ(velk::OverallPercent(1, 3), 33);
    EXPECT_EQ(velk::OverallPercent(7, 3), 100);
    EXPECT_EQ(velk::OverallPercent(int64_t(3) << 40, int64_t(4) << 40), 75);
}

} // namespace
