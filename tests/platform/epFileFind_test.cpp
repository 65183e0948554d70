#include "platform/epFileFind.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

TEST(SearchFilterTest, IncludeExcludeAndDotEntries) {
    // Any entry, even one with none of the six bits (a "normal" file, 0x80).
    EXPECT_TRUE(SearchEntryMatches("a", 0x80, faAnyFile, 0));
    EXPECT_TRUE(SearchEntryMatches("a", 0, faAnyFile, 0));
    // Other include masks need a shared bit.
    EXPECT_FALSE(SearchEntryMatches("a", 0x80, faArchive, 0));
    EXPECT_TRUE(SearchEntryMatches("d", faDirectory | faHidden, faDirectory, 0));
    EXPECT_FALSE(SearchEntryMatches("f", faArchive, faDirectory, 0));
    EXPECT_TRUE(SearchEntryMatches("f", faArchive | faReadOnly, faReadOnly | faHidden, 0));
    // Exclusion wins over inclusion.
    EXPECT_FALSE(SearchEntryMatches("d", faDirectory, faAnyFile, faDirectory | faVolumeID));
    EXPECT_FALSE(SearchEntryMatches("h", faHidden | faArchive, faArchive, faHidden));
    EXPECT_FALSE(SearchEntryMatches(".", faDirectory, faAnyFile, 0));
    EXPECT_FALSE(SearchEntryMatches("..", faDirectory, faDirectory, 0));
    EXPECT_TRUE(SearchEntryMatches(".profile", faArchive, faAnyFile, 0));
}

} // namespace
} // namespace velk
