#include "setup/CommandLine.h"

#include <gtest/gtest.h>

using velk::HasSwitch;
using velk::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroup) {
    EXPECT_EQ(SplitCommandLine("setup.exe /s  x"), (Args{"setup.exe", "/s", "x"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\setup.exe\" a\tb"),
              (Args{"C:\\Program Files\\setup.exe", "a", "b"}));
    // Quotes group in the middle of an argument too and are removed.
    EXPECT_EQ(SplitCommandLine("a\"b c\"d e"), (Args{"ab cd", "e"}));
    EXPECT_EQ(SplitCommandLine("x \"\" y"), (Args{"x", "", "y"}));
}

TEST(SplitCommandLine, EmptyAndBlankLinesGiveNoArguments) {
    EXPECT_TRUE(SplitCommandLine("").empty());
    EXPECT_TRUE(SplitCommandLine(" \t \r\n").empty());
}

TEST(SplitCommandLine, UnterminatedQuoteRunsToTheEnd) {
    EXPECT_EQ(SplitCommandLine("a \"b c"), (Args{"a", "b c"}));
}

TEST(HasSwitch, SilentSwitchAfterSlashOrDashInAnyCase) {
    for (const char* arg : {"/s", "/S", "-s", "-S"})
        EXPECT_TRUE(HasSwitch({arg}, "s")) << arg;
}

TEST(HasSwitch, NeedsItsLeaderAndTheWholeName) {
    EXPECT_FALSE(HasSwitch({"s"}, "s"));
    EXPECT_FALSE(HasSwitch({"-"}, "s"));
    EXPECT_FALSE(HasSwitch({"/"}, "s"));
    EXPECT_FALSE(HasSwitch({"/silent"}, "s"));
    EXPECT_FALSE(HasSwitch({"--s"}, "s"));
    EXPECT_FALSE(HasSwitch({}, "s"));
}

TEST(HasSwitch, FoundAnywhereAmongTheArguments) {
    EXPECT_TRUE(HasSwitch({"data.txt", "x", "/S"}, "s"));
}
