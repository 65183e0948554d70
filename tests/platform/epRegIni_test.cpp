#include "platform/epRegIni.h"

#include <gtest/gtest.h>

namespace velk {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(RegPathTest, RootsAndSubkeys) {
    struct Case {
        const char* path;
        TRegRoot root;
        const char* subKey;
    } cases[] = {
        {"hklm\\Software\\X\\", TRegRoot::LocalMachine, "Software\\X"},
        {"HKLM\\Software\\X", TRegRoot::LocalMachine, "Software\\X"},
        {"HkCr\\.txt", TRegRoot::ClassesRoot, ".txt"},
        {"hku\\.DEFAULT\\Control Panel", TRegRoot::Users, ".DEFAULT\\Control Panel"},
        {"HKCU", TRegRoot::CurrentUser, ""},
        {"HKCU\\", TRegRoot::CurrentUser, ""},
        {"HKLM\\\\", TRegRoot::LocalMachine, ""},
        {"Software\\X", TRegRoot::CurrentUser, "Software\\X"},
        {"HKEY_LOCAL_MACHINE\\Software\\X", TRegRoot::CurrentUser,
         "HKEY_LOCAL_MACHINE\\Software\\X"},
        {"HKLMX\\a", TRegRoot::CurrentUser, "HKLMX\\a"},
        {"", TRegRoot::CurrentUser, ""},
    };
    for (const Case& c : cases) {
        TRegPath parsed = ParseRegPath(c.path);
        EXPECT_EQ(parsed.Root, c.root) << c.path;
        EXPECT_EQ(parsed.SubKey, c.subKey) << c.path;
    }
}

TEST(RegTextTest, StrToDWordDefReadsTheWholeUnsignedRange) {
    EXPECT_EQ(StrToDWordDef("4294967295", 7), -1);
    EXPECT_EQ(StrToDWordDef("4294967294", 7), -2);
    EXPECT_EQ(StrToDWordDef("2147483648", 7), INT32_MIN);
    EXPECT_EQ(StrToDWordDef("4294967296", 7), 0) << "taken modulo 2^32";
    EXPECT_EQ(StrToDWordDef("  -12", 7), -12);
    EXPECT_EQ(StrToDWordDef("$FFFFFFFF", 7), -1);
    EXPECT_EQ(StrToDWordDef("42949672950", 7), 7);
    EXPECT_EQ(StrToDWordDef("12a", 7), 7);
    EXPECT_EQ(StrToDWordDef("", 7), 7);
    EXPECT_EQ(StrToDWordDef("x", 7), 7);
}

TEST(RegTextTest, HexadecimalConversions) {
    const uint8_t data[] = {0x01, 0xAB, 0xFF, 0x00};
    EXPECT_EQ(BinaryToHex(data, 4), "01ABFF00");
    EXPECT_EQ(BinaryToHex(nullptr, 0), "");
    EXPECT_EQ(HexToBinary("01 ab F"), (Bytes{0x01, 0xAB}));
    EXPECT_EQ(HexToBinary(" d e a d b e e f "), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(HexToBinary("zz$1x$0a"), (Bytes{0x00, 0x01, 0x00, 0x0A}));
    EXPECT_EQ(HexToBinary("-1+1"), (Bytes{0x00, 0x00}));
    EXPECT_EQ(HexToBinary(""), Bytes{});
    EXPECT_EQ(HexToBinary("7"), Bytes{});
}

// Linux has no registry: what the author tool sees is an empty one.
TEST(EmptyRegistryTest, ReadsGiveDefaultsAndWritesFail) {
    const std::string key = "HKCU\\Software\\Velk";
    EXPECT_EQ(GetRegValueType(key, "v"), RegTypeNone);
    EXPECT_EQ(ReadRegString(key, "v", "def"), "def");
    EXPECT_EQ(ReadRegInteger(key, "v", 9), 9);
    EXPECT_EQ(ReadRegBinaryHex(key, "v", "def"), "def");
    Bytes data{1};
    EXPECT_FALSE(ReadRegBinary(key, "v", data));
    EXPECT_EQ(data, Bytes{1});
    std::vector<std::string> names{"stale"};
    EnumRegKeys(key, names);
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(RegKeyExists(key));
    EXPECT_FALSE(RegValueExists(key, "v"));
    EXPECT_FALSE(WriteRegString(key, "v", "x"));
    EXPECT_FALSE(WriteRegInteger(key, "v", 1));
    EXPECT_FALSE(WriteRegBinaryHex(key, "v", "01"));
    EXPECT_FALSE(DeleteRegValue(key, "v"));
    EXPECT_FALSE(DeleteRegKey(key, true));
    std::string name = MakeUniqueRegValueName(key, "Old");
    ASSERT_GT(name.size(), 3u);
    EXPECT_EQ(name.substr(0, 3), "Old");
    EXPECT_EQ(name.find_first_not_of("0123456789", 3), std::string::npos);
}

} // namespace
} // namespace velk
