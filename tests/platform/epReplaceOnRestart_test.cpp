#include "platform/epReplaceOnRestart.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

using TLines = std::vector<std::string>;

TEST(ReplaceOnRestartTest, EntriesGoToTheFirstEmptyLineOfTheRenameSection) {
    const TLines entries = {"NUL=C:\\NEW", "C:\\NEW=C:\\SRC"};
    struct {
        TLines old, expected;
    } cases[] = {
        {{}, {"[Rename]", "NUL=C:\\NEW", "C:\\NEW=C:\\SRC"}},
        {{" [Boot] ", "", "a=1\t"},
         {"[Boot]", "", "a=1", "[Rename]", "NUL=C:\\NEW", "C:\\NEW=C:\\SRC"}},
        {{"[Boot]", "", "[rename]", "NUL=A", "B=C", "", "[X]", "", "y=2"},
         {"[Boot]", "", "[rename]", "NUL=A", "B=C", "NUL=C:\\NEW", "C:\\NEW=C:\\SRC", "", "[X]", "",
          "y=2"}},
        {{"[X]", "[RENAME]"}, {"[X]", "[RENAME]", "NUL=C:\\NEW", "C:\\NEW=C:\\SRC"}},
        // The state holds to the end of the file: a later section's empty line takes them.
        {{"[Rename]", "NUL=A", "[X]", " \r", "z=3"},
         {"[Rename]", "NUL=A", "[X]", "NUL=C:\\NEW", "C:\\NEW=C:\\SRC", "", "z=3"}},
        {{"[Rename]", "", "[Rename]", ""},
         {"[Rename]", "NUL=C:\\NEW", "C:\\NEW=C:\\SRC", "", "[Rename]", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceRenameEntries(c.old, entries), c.expected) << testing::PrintToString(c.old);
}

} // namespace
} // namespace velk
