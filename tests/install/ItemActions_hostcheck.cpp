// The Linux half of the item-action test: after ItemActions_installs has run its packages under
// Wine and the server has saved the registry, reads the prefix (VELK_PREFIX) for what the
// registry items and the font left in the registry, and reads the shortcuts with Debian's lnkinfo
// (liblnk-utils), independently of the system that wrote them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "harness/WineRegistryFile.h"

namespace velk::test {
namespace {

using namespace std::string_view_literals;

std::string Prefix() {
    const char* prefix = std::getenv("VELK_PREFIX");
    return prefix != nullptr ? prefix : "";
}

TWineRegistryFile Load(const char* name) {
    TWineRegistryFile file;
    std::string error;
    EXPECT_TRUE(file.Load(Prefix() + "/" + name, error)) << error;
    return file;
}

std::vector<uint8_t> Bytes(std::string_view data) {
    return std::vector<uint8_t>(data.begin(), data.end());
}

TEST(ItemActionsReadBack, RegistryValuesHaveTheirTypesAndKeysTheirFate) {
    ASSERT_FALSE(Prefix().empty()) << "run through wine-run.sh --then";
    const TWineRegistryFile user = Load("user.reg");
    const struct {
        const char* Key;
        const char* Name;
        uint32_t Type; // 0: the value must not exist
        std::vector<uint8_t> Data;
    } cases[] = {
        {"Deep\\Er", "Text", 1, WidenedBytes("C:\\VelkItems\\full\0"sv)},
        {"Deep\\Er", "Number", 4, Bytes("\xff\xff\xff\xff")},
        {"Deep\\Er", "Answer", 4, Bytes("\x2a\0\0\0"sv)},
        {"Deep\\Er", "Bytes", 3, Bytes("\x01\xab\xff")},
        {"Deep\\Er", "", 1, WidenedBytes("default\0"sv)},
        {"Old", "Over", 1, WidenedBytes("new\0"sv)},
        {"Old", "Kept", 1, WidenedBytes("old\0"sv)},
        {"Old", "Gone", 0, {}},
        {"Quiet\\Sub", "Q", 1, WidenedBytes("q\0"sv)},
        {"Off", "Off", 0, {}},
        {"Broken", "After", 1, WidenedBytes("1\0"sv)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Key) + " " + c.Name);
        const TWineRegValue* value =
            user.Find("Software\\VelkItems\\" + std::string(c.Key), c.Name);
        if (c.Type == 0) {
            EXPECT_EQ(value, nullptr);
            continue;
        }
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->Type, c.Type);
        EXPECT_EQ(value->Data, c.Data);
    }
    EXPECT_FALSE(user.HasKey("Software\\VelkItems\\Old\\Doomed"));

    const TWineRegistryFile system = Load("system.reg");
    const TWineRegValue* font = system.Find(
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "VelkIt Sans (TrueType)");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Data, WidenedBytes("VelkItSans.ttf\0"sv));
}

// The "Link information" fields lnkinfo prints ("\tName\t\t: value"), by name.
std::map<std::string, std::string> LinkInformation(const std::string& lnk) {
    std::map<std::string, std::string> fields;
    FILE* out = popen(("lnkinfo '" + lnk + "'").c_str(), "r");
    if (out == nullptr)
        return fields;
    char line[1024];
    while (fgets(line, sizeof line, out) != nullptr) {
        std::string text(line);
        const size_t colon = text.find(": ");
        if (text.rfind("\t", 0) != 0 || colon == std::string::npos)
            continue;
        const size_t end = text.find_last_not_of("\t ", colon - 1);
        const std::string name = text.substr(1, end);
        if (fields.count(name) == 0) // the link information comes first
            fields[name] = text.substr(colon + 2, text.find_last_not_of("\r\n") - colon - 1);
    }
    pclose(out);
    return fields;
}

// lnkinfo prints 0 for the show command and the hot key: they are read from the header.
uint32_t HeaderField(const std::string& lnk, size_t offset, size_t size) {
    std::ifstream in(lnk, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    uint32_t value = 0;
    for (size_t i = 0; i < size && offset + i < data.size(); ++i)
        value |= uint32_t(uint8_t(data[offset + i])) << (8 * i);
    return value;
}

TEST(ItemActionsReadBack, ShortcutsCarryEveryField) {
    ASSERT_FALSE(Prefix().empty()) << "run through wine-run.sh --then";
    const std::string full = Prefix() + "/drive_c/VelkItems/full/Menu/Full.lnk";
    std::map<std::string, std::string> fields = LinkInformation(full);
    EXPECT_EQ(fields["Local path"], "C:\\VelkItems\\full\\marker.exe");
    EXPECT_EQ(fields["Command line arguments"], "\"quoted arg\"");
    EXPECT_EQ(fields["Working directory"], "C:\\VelkItems\\full");
    EXPECT_EQ(fields["Icon location"], "C:\\VelkItems\\full\\marker.exe");
    EXPECT_EQ(fields["Icon index"], "1");
    EXPECT_EQ(fields["Description"], "Full shortcut");
    EXPECT_EQ(HeaderField(full, 0x3C, 4), 3u); // maximised
    EXPECT_EQ(HeaderField(full, 0x40, 2), 0x0641u);

    const std::string quiet = Prefix() + "/drive_c/VelkItems/full/Quiet/Q.lnk";
    fields = LinkInformation(quiet);
    EXPECT_EQ(fields["Local path"], "C:\\VelkItems\\full\\marker.exe");
    EXPECT_EQ(fields["Description"], "");
    EXPECT_EQ(HeaderField(quiet, 0x3C, 4), 7u); // minimised without taking the focus
    EXPECT_EQ(HeaderField(quiet, 0x40, 2), 0u);
}

} // namespace
} // namespace velk::test
