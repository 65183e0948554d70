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

TEST(DemoStatements, KeysAndCommands) {
    const struct {
        int Command;
        const char* Key;
        TActionKind Kind;
        const char* Statement;
        int MenuCommand;
    } cases[] = {
        {FirstToolbarCommand, "open", TActionKind::Open, "", 0},
        {FirstToolbarCommand + 1, "end_app", TActionKind::EndApp, "", 0},
        {FirstToolbarCommand + 4, "zoomout", TActionKind::RunMenuCommand, "", 1706},
        {FirstToolbarCommand + 6, "pline", TActionKind::Do, "Run Menu Command ID 781", 0},
        {FirstToolbarCommand + 12, "ToggleButton", TActionKind::Do, "Run Menu Command ID 784", 0},
        {PanCommand, "pan", TActionKind::RunMenuCommand, "", 1702},
        {FirstToolbarCommand - 1, "", TActionKind::None, "", 0},
        {PanCommand + 1, "", TActionKind::None, "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyOfCommand(c.Command), c.Key);
        const TToolbarAction action = ActionForKey(c.Key);
        EXPECT_EQ(action.Kind, c.Kind) << c.Key;
        EXPECT_EQ(action.Statement, c.Statement) << c.Key;
        EXPECT_EQ(action.MenuCommand, c.MenuCommand) << c.Key;
    }
    EXPECT_EQ(ActionForKey("Open").Kind, TActionKind::None); // keys are case-sensitive
    EXPECT_STREQ(TooltipOfCommand(FirstToolbarCommand + 12), "Test ToogleButton");
    EXPECT_STREQ(TooltipOfCommand(PanCommand), "");
}

} // namespace
