// The Windows half of the registry read-back test: writes the values of RegistryReadBack.h
// through the registry helpers and leaves them for the Linux half, which reads the prefix's
// user.reg after Wine has saved it.
#include "platform/epRegIni.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/RegistryReadBack.h"

namespace velk {
namespace {

using test::ReadBackKey;
using test::TReadBackCase;
using test::TReadBackWrite;

bool Write(const TReadBackCase& c) {
    std::string key(ReadBackKey);
    if (!c.Key.empty())
        key += "\\" + std::string(c.Key);
    const std::string name(c.Name);
    switch (c.How) {
    case TReadBackWrite::String:
        return WriteRegString(key, name, c.Input);
    case TReadBackWrite::Integer:
        return WriteRegInteger(key, name, c.Number);
    case TReadBackWrite::BinaryHex:
        return WriteRegBinaryHex(key, name, c.Input);
    case TReadBackWrite::Binary:
        return WriteRegBinary(key, name, c.Input.data(), uint32_t(c.Input.size()));
    case TReadBackWrite::Value:
        return WriteRegValue(key, name, c.InputType, uint32_t(c.Input.size()), c.Input.data());
    }
    return false;
}

TEST(RegistryReadBackWriter, WritesEveryValueAndTakesBackTheDeletedOnes) {
    const std::string key(ReadBackKey);
    for (const TReadBackCase& c : test::ReadBackCases)
        EXPECT_TRUE(Write(c)) << c.Name;

    const std::string deletedValue(test::ReadBackDeletedValue);
    ASSERT_TRUE(WriteRegString(key, deletedValue, "short-lived"));
    EXPECT_TRUE(DeleteRegValue(key, deletedValue));
    const std::string deletedKey = key + "\\" + std::string(test::ReadBackDeletedKey);
    ASSERT_TRUE(WriteRegInteger(deletedKey + "\\Deep", "v", 1));
    ASSERT_TRUE(WriteRegInteger(deletedKey, "v", 1));
    EXPECT_TRUE(DeleteRegKey(deletedKey, true));
}

} // namespace
} // namespace velk
