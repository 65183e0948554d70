#include "harness/WineRegistryFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace velk::test {
namespace {

using Bytes = std::vector<uint8_t>;

// As Wine 8 saves a user branch, with the kinds of lines it writes.
const char kUserReg[] = R"(WINE REGISTRY Version 2
;; All keys relative to REGISTRY\\User\\S-1-5-21-0-0-0-1000

#arch=win32

[Control Panel\\Desktop] 1796707347
#time=1dd86d41d333a72
"CaptionFont"=hex:f5,ff,ff,ff,00,00,00,00,00,00,00,00,00,00,00,00,bc,02,00,00,\
  00,00,00,01,00,00,00,00,54,00,61,00,68,00,6f,00,6d,00,61,00,00,00,00,00,00,\
  00,00,00
"DragHeight"="4"
@=""

[Software\\Velk\\Sub \[1\]] 1796707350
#time=1dd86d41d6869b8
#class="a class"
"Expand"=str(2):"%WINDIR%\\x"
"Multi"=str(7):"a\0b\0"
"Num"=dword:0000002a
"Quote \"and\" \\"="back\\slash \"q\" \t\n\r\a\e \0017 \2x \x7f"
"Wide"="caf\xe9 \x20ac\x0031"
"NoZero"=hex(1):78,00,79,00
"Empty"=hex:
"Odd"=hex(80000002):01
   "Spaced" = "blanks around"
)";

TWineRegistryFile Parsed(const std::string& text) {
    TWineRegistryFile file;
    std::string error;
    EXPECT_TRUE(file.Parse(text, error)) << error;
    return file;
}

Bytes Utf16(std::u16string_view units) {
    Bytes bytes;
    for (char16_t u : units) {
        bytes.push_back(uint8_t(u & 0xFF));
        bytes.push_back(uint8_t(u >> 8));
    }
    return bytes;
}

TEST(WineRegistryFile, ReadsEveryKindOfValue) {
    TWineRegistryFile file = Parsed(kUserReg);
    const std::string key = "Software\\Velk\\Sub [1]";
    ASSERT_TRUE(file.HasKey(key));

    const TWineRegValue* v = file.Find(key, "Expand");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, 2u);
    EXPECT_EQ(v->Data, WidenedBytes(std::string_view("%WINDIR%\\x\0", 11)));

    v = file.Find(key, "Multi");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, 7u);
    EXPECT_EQ(v->Data, WidenedBytes(std::string_view("a\0b\0\0", 5)));

    v = file.Find(key, "Num");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, 4u);
    EXPECT_EQ(v->Data, (Bytes{0x2a, 0, 0, 0}));

    v = file.Find(key, "NoZero");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, 1u);
    EXPECT_EQ(v->Data, WidenedBytes("xy"));

    v = file.Find(key, "Empty");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, 3u);
    EXPECT_TRUE(v->Data.empty());

    v = file.Find(key, "Odd");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, 0x80000002u);
    EXPECT_EQ(v->Data, Bytes{1});

    v = file.Find(key, "Spaced");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Data, WidenedBytes(std::string_view("blanks around\0", 14)));
}

TEST(WineRegistryFile, DecodesEscapesInNamesAndStrings) {
    TWineRegistryFile file = Parsed(kUserReg);
    const std::string key = "Software\\Velk\\Sub [1]";
    const TWineRegValue* v = file.Find(key, "Quote \"and\" \\");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, 1u);
    const char expected[] = "back\\slash \"q\" \t\n\r\a\033 \0017 \2x \177";
    EXPECT_EQ(v->Data, WidenedBytes(std::string_view(expected, sizeof expected)));

    // Above 127 as UTF-16 code units, of at most four digits: "\x0031" is "1".
    v = file.Find(key, "Wide");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Data, Utf16(std::u16string_view(u"caf\u00e9 \u20ac1", 8)));
}

TEST(WineRegistryFile, HexValuesGoOnOverContinuationLines) {
    TWineRegistryFile file = Parsed(kUserReg);
    const TWineRegValue* v = file.Find("control panel\\DESKTOP", "captionfont");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Type, 3u);
    ASSERT_EQ(v->Data.size(), 48u);
    EXPECT_EQ(v->Data[0], 0xf5);
    EXPECT_EQ(v->Data[19], 0x00);
    EXPECT_EQ(v->Data[16], 0xbc);
    EXPECT_EQ(v->Data[28], 0x54);
    EXPECT_EQ(v->Data[47], 0x00);
    // The value after the continued one is read as usual.
    v = file.Find("Control Panel\\Desktop", "DragHeight");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Data, WidenedBytes(std::string_view("4\0", 2)));
}

TEST(WineRegistryFile, DefaultValuesAndNamesInFileOrder) {
    TWineRegistryFile file = Parsed(kUserReg);
    const TWineRegValue* v = file.Find("Control Panel\\Desktop", "");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Data, Bytes({0, 0}));
    EXPECT_EQ(file.ValueNames("Control Panel\\Desktop"),
              (std::vector<std::string>{"CaptionFont", "DragHeight", ""}));
    EXPECT_EQ(file.Find("Control Panel\\Desktop", "Missing"), nullptr);
    EXPECT_EQ(file.Find("Control Panel\\Missing", "DragHeight"), nullptr);
    EXPECT_TRUE(file.ValueNames("Control Panel\\Missing").empty());
    // A key that only leads to others has no heading of its own.
    EXPECT_FALSE(file.HasKey("Software\\Velk"));
}

TEST(WineRegistryFile, LineEndsWithCarriageReturnsAreRead) {
    std::string text = kUserReg;
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.insert(at, "\r");
    TWineRegistryFile file = Parsed(text);
    const TWineRegValue* v = file.Find("Control Panel\\Desktop", "CaptionFont");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Data.size(), 48u);
}

TEST(WineRegistryFile, MalformedTextIsRefusedWithItsLine) {
    const struct {
        const char* Text;
        const char* Error;
    } cases[] = {
        {"REGEDIT4\n", "not a Wine registry file (no \"WINE REGISTRY Version 2\" header)"},
        {"WINE REGISTRY Version 2\n\"v\"=\"x\"\n", "line 2: value outside any key"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=\"open\n", "line 3: malformed string"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=\"x\" junk\n", "line 3: malformed string"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=dword:2a junk\n", "line 3: malformed dword"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=dword:\n", "line 3: malformed dword"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=hex:01,zz\n", "line 3: malformed hexadecimal data"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=hex:01,\\\n",
         "line 3: hexadecimal data continued past the end of the file"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=hex(:01\n", "line 3: malformed hexadecimal type"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=str(2)\"x\"\n", "line 3: malformed string type"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\"=qword:1\n", "line 3: unknown kind of data"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v\" \"x\"\n", "line 3: value name without \"=\""},
        {"WINE REGISTRY Version 2\n[K] 1\n\"v=\"x\"\n", "line 3: value name without \"=\""},
        {"WINE REGISTRY Version 2\n[K\n", "line 2: malformed key"},
        {"WINE REGISTRY Version 2\n[K] 1 x\n", "line 2: unexpected text after the key"},
        {"WINE REGISTRY Version 2\n[K] 1\n\"caf\xc3\xa9\"=\"x\"\n", "line 3: malformed value name"},
        {"WINE REGISTRY Version 2\n[K] 1\nloose text\n", "line 3: unrecognised line"},
    };
    for (const auto& c : cases) {
        TWineRegistryFile file = Parsed("WINE REGISTRY Version 2\n[Kept] 1\n\"v\"=\"1\"\n");
        std::string error;
        EXPECT_FALSE(file.Parse(c.Text, error)) << c.Text;
        EXPECT_EQ(error, c.Error) << c.Text;
        EXPECT_FALSE(file.HasKey("Kept")) << "a failed parse keeps nothing: " << c.Text;
    }
}

TEST(WineRegistryFile, LoadsAFileAndNamesItInErrors) {
    const std::string name = "velk-wine-registry-" + std::to_string(getpid()) + ".reg";
    std::FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("WINE REGISTRY Version 2\n[K] 1\n\"v\"=dword:ffffffff\n\"w\"=nothing\n", f);
    std::fclose(f);
    TWineRegistryFile file;
    std::string error;
    EXPECT_FALSE(file.Load(name, error));
    EXPECT_EQ(error, name + ": line 4: unknown kind of data");
    std::remove(name.c_str());
    EXPECT_FALSE(file.Load(name, error));
    EXPECT_EQ(error, "cannot open " + name);
}

} // namespace
} // namespace velk::test
