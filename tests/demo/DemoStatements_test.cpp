// The demo's statements, table names, MapBasic numbers and toolbar keys.
#include <gtest/gtest.h>

#include "demo/DemoStatements.h"
#include "demo/ToolbarKeys.h"

namespace {

using namespace velk::demo;

TEST(DemoStatements, TableNameDropsFolderAndExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\maps\\World.tab", "World"}, {"C:\\a.b\\STATES.TAB", "STATES"}, {"rel\\x.tab", "x"},
        {"plain.tab", "plain"},           {"C:\\maps\\.tab", ".tab"},        {"C:\\maps\\", ""},
        {"C:\\m\\long.table", "long.t"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(TableName(path), name) << path;
    EXPECT_EQ(OpenTableStatements("C:\\m\\w.tab"),
              (std::vector<std::string>{"Open Table \"C:\\m\\w.tab\"", "Map From \"w\"",
                                        "Set Map Display Position"}));
    EXPECT_EQ(DocumentParentStatement(4294967295u), "Set Next Document Parent 4294967295Style 1");
    EXPECT_EQ(WindowHandleExpression("-1"), "WindowInfo(-1, 12)");
}

TEST(DemoStatements, NumbersFromMapInfo) {
    const struct {
        const char* Text;
        bool Ok16;
        int16_t Value16;
        bool OkHandle;
        uint32_t Handle;
    } cases[] = {
        {"3", true, 3, true, 3},
        {" +12\t", true, 12, true, 12},
        {"2.5", true, 2, true, 2},
        {"3.5", true, 4, true, 4},
        {"-32768", true, -32768, true, 0xFFFF8000u},
        {"32768", false, 0, true, 32768},
        {"-2147483648", false, 0, true, 0x80000000u},
        {"4294967295", false, 0, true, 0xFFFFFFFFu},
        {"4294967296", false, 0, false, 0},
        {"", false, 0, false, 0},
        {"1e3", false, 0, false, 0},
        {"12abc", false, 0, false, 0},
        {"nan", false, 0, false, 0},
    };
    for (const auto& c : cases) {
        int16_t value = 7;
        uint32_t handle = 7;
        EXPECT_EQ(ParseInt16(c.Text, value), c.Ok16) << c.Text;
        EXPECT_EQ(ParseHandle(c.Text, handle), c.OkHandle) << c.Text;
        EXPECT_EQ(value, c.Ok16 ? c.Value16 : 7) << c.Text;
        EXPECT_EQ(handle, c.OkHandle ? c.Handle : 7u) << c.Text;
    }
}

// Every key's statement is checked under Wine; here what no button reaches.
TEST(DemoStatements, CommandsWithoutKeys) {
    EXPECT_EQ(KeyOfCommand(PanCommand), "pan");
    EXPECT_EQ(ActionForKey("pan").MenuCommand, 1702);
    for (int command : {FirstToolbarCommand - 1, PanCommand + 1}) {
        EXPECT_EQ(KeyOfCommand(command), "");
        EXPECT_STREQ(TooltipOfCommand(command), "");
    }
    EXPECT_STREQ(TooltipOfCommand(PanCommand), "");
    EXPECT_EQ(ActionForKey("").Kind, TActionKind::None);
    EXPECT_EQ(ActionForKey("Open").Kind, TActionKind::None); // keys are case-sensitive
}

} // namespace
