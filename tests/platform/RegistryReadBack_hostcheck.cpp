// The Linux half of the registry read-back test: after RegistryReadBack_writer has run under
// Wine and the server has saved the registry, reads the prefix's user.reg (the prefix named by
// VELK_PREFIX, which wine-run.sh sets) and finds every value with its type and data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness/WineRegistryFile.h"
#include "platform/RegistryReadBack.h"

namespace velk::test {
namespace {

class RegistryReadBack : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* prefix = std::getenv("VELK_PREFIX");
        ASSERT_NE(prefix, nullptr) << "VELK_PREFIX is not set: run through wine-run.sh --then";
        std::string error;
        loaded_ = file_.Load(std::string(prefix) + "/user.reg", error);
        ASSERT_TRUE(loaded_) << error;
    }
    void SetUp() override { ASSERT_TRUE(loaded_); }

    static std::string KeyOf(std::string_view sub) {
        return sub.empty() ? std::string(ReadBackKey)
                           : std::string(ReadBackKey) + "\\" + std::string(sub);
    }

    static inline TWineRegistryFile file_;
    static inline bool loaded_ = false;
};

std::vector<uint8_t> ExpectedData(const TReadBackCase& c) {
    if (c.Type == 1 || c.Type == 2 || c.Type == 7)
        return WidenedBytes(c.Stored);
    return std::vector<uint8_t>(c.Stored.begin(), c.Stored.end());
}

TEST_F(RegistryReadBack, EveryValueIsSavedWithItsTypeAndData) {
    for (const TReadBackCase& c : ReadBackCases) {
        SCOPED_TRACE("value \"" + std::string(c.Name) + "\" in " + KeyOf(c.Key));
        const TWineRegValue* value = file_.Find(KeyOf(c.Key), c.Name);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->Type, c.Type);
        EXPECT_EQ(value->Data, ExpectedData(c));
    }
}

TEST_F(RegistryReadBack, NothingElseIsInTheKey) {
    std::vector<std::string> expected;
    for (const TReadBackCase& c : ReadBackCases)
        if (c.Key.empty())
            expected.emplace_back(c.Name);
    std::vector<std::string> names = file_.ValueNames(KeyOf(""));
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

TEST_F(RegistryReadBack, DeletedValuesAndKeysAreGone) {
    EXPECT_EQ(file_.Find(KeyOf(""), ReadBackDeletedValue), nullptr);
    EXPECT_FALSE(file_.HasKey(KeyOf(ReadBackDeletedKey)));
    EXPECT_FALSE(file_.HasKey(KeyOf(std::string(ReadBackDeletedKey) + "\\Deep")));
}

} // namespace
} // namespace velk::test
