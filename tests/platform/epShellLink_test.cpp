// The field rules of shortcuts: unquoting and show commands.
#include "platform/epShellLink.h"

#include <gtest/gtest.h>

namespace {

TEST(ShellLinkTest, UnquotesOnlyTextsThatOpenWithAQuote) {
    const struct {
        const char* In;
        const char* Out;
    } cases[] = {
        {"\"C:\\Program Files\\a.exe\"", "C:\\Program Files\\a.exe"},
        {"\"say \"\"hi\"\"\" tail", "say \"hi\""},
        {"\"unclosed \\x", "unclosed \\x"},
        {"plain \"quoted\"", "plain \"quoted\""},
        {"\"\"", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velk::UnquoteLinkText(c.In), c.Out) << c.In;
}

TEST(ShellLinkTest, ShowCommands) {
    const int32_t expected[] = {1, 7, 3, 1, 1};
    for (uint8_t show = 0; show < 5; ++show)
        EXPECT_EQ(velk::LinkShowCommand(show), expected[show]) << int(show);
    EXPECT_EQ(velk::LinkShowCommand(255), 1);
}

} // namespace
