// korvx_demo.exe under Wine against the stand-ins for MapInfo and the KorvelX control: what it
// sends at load, for each toolbar key and for the open dialog, what it lists for each event, its
// status bar, its layout and how it ends. Everything is watched from outside its process.
#include <gtest/gtest.h>

#include "demo/DemoDriver.h"
#include "demo/ToolbarKeys.h"
#include "harness/DialogWatcher.h"
#include "harness/WinPackageTest.h"

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using velk::demo::FirstToolbarCommand;
using velk::demo::PanCommand;
using velk::test::TDemoRun;
using Lines = std::vector<std::string>;

constexpr char ErrorCaption[] = "Korvel ActiveX Demo Application";
constexpr DWORD BoxTimeout = 20000;

int Command(const char* key) {
    for (int i = 0; i < 13; ++i)
        if (std::string(velk::demo::ToolbarButtons[i].Key) == key)
            return FirstToolbarCommand + i;
    return PanCommand;
}

class KorvxDemoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(velk::test::RegisterStandIn(STANDIN_MAPINFO_DLL));
        ASSERT_TRUE(velk::test::RegisterStandIn(STANDIN_KORVX_DLL));
    }
    void Start(const std::string& script = "") {
        ASSERT_TRUE(demo_.Start(script));
        demo_.NewLog();
    }
    // The window's position inside its parent.
    static RECT Placement(HWND window) {
        RECT rect;
        GetWindowRect(window, &rect);
        MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    TDemoRun demo_;
};

TEST_F(KorvxDemoTest, LoadSendsTheStatementsInOrder) {
    ASSERT_TRUE(demo_.Start(""));
    const Lines expected = {
        "Visible\t-1",
        "Do\tCreate ButtonPad \"A\" As ToolButton ID 777 DrawMode 31 Calling OLE \"EllipseTool\" "
        "Cursor 128",
        "Do\tCreate ButtonPad \"B\" As ToolButton ID 778 DrawMode 32 Calling OLE \"RectTool\" "
        "Cursor 128",
        "Do\tCreate ButtonPad \"C\" As ToolButton ID 779 DrawMode 33 Calling OLE \"LineTool\" "
        "Cursor 128",
        "Do\tCreate ButtonPad \"D\" As ToolButton ID 780 DrawMode 34 Calling OLE \"SymbolTool\" "
        "Cursor 128",
        "Do\tCreate ButtonPad \"E\" As ToolButton ID 781 DrawMode 36 Calling OLE "
        "\"PolylineTool\" Cursor 128",
        "Do\tCreate ButtonPad \"F\" As ToolButton ID 782 DrawMode 35 Calling OLE \"RegionTool\" "
        "Cursor 128",
        "Do\tCreate ButtonPad \"G\" As PushButton ID 783 Calling OLE \"PushButton\"",
        "Do\tCreate ButtonPad \"H\" As ToggleButton ID 784 Calling OLE \"ToggleButton\"",
        "Do\tCreate Menu \"Callback\" As \"Test\" ID 785 Calling OLE\"MenuItem\"",
        "Do\tAlter Menu Bar Add\"Callback\"",
        "Do\tSet Application Window " + std::to_string(UINT_PTR(demo_.Form)),
        "Do\tSet Next Document Parent " + std::to_string(UINT_PTR(demo_.Mapper)) + "Style 1",
    };
    EXPECT_EQ(demo_.NewLog(), expected);
    char caption[64] = "";
    GetWindowTextA(demo_.Form, caption, sizeof caption);
    EXPECT_STREQ(caption, "Korvel ActiveX Demo Application ");
}

TEST_F(KorvxDemoTest, EachKeySendsItsStatementOrMenuCommand) {
    Start();
    const struct {
        int Command;
        const char* Log; // empty: nothing is sent
    } keys[] = {
        {Command("ellipse"), "Do\tRun Menu Command ID 777"},
        {Command("rect"), "Do\tRun Menu Command ID 778"},
        {Command("line"), "Do\tRun Menu Command ID 779"},
        {Command("symbol"), "Do\tRun Menu Command ID 780"},
        {Command("pline"), "Do\tRun Menu Command ID 781"},
        {Command("region"), "Do\tRun Menu Command ID 782"},
        {Command("PushButton"), "Do\tRun Menu Command ID 783"},
        {Command("ToggleButton"), "Do\tRun Menu Command ID 784"},
        {Command("selector"), "RunMenuCommand\t1701"},
        {PanCommand, "RunMenuCommand\t1702"},
        {Command("zoomin"), "RunMenuCommand\t1705"},
        {Command("zoomout"), "RunMenuCommand\t1706"},
        {FirstToolbarCommand - 1, ""},
        {PanCommand + 1, ""},
    };
    for (const auto& key : keys) {
        SCOPED_TRACE(key.Command);
        demo_.Command(key.Command);
        EXPECT_EQ(demo_.NewLog(), *key.Log ? Lines{key.Log} : Lines{});
    }
}

TEST_F(KorvxDemoTest, ToolbarButtonsClickedInTheirOrder) {
    Start();
    const char* const expected[] = {nullptr,
                                    nullptr,
                                    "RunMenuCommand\t1701",
                                    "RunMenuCommand\t1705",
                                    "RunMenuCommand\t1706",
                                    "Do\tRun Menu Command ID 779",
                                    "Do\tRun Menu Command ID 781",
                                    "Do\tRun Menu Command ID 778",
                                    "Do\tRun Menu Command ID 782",
                                    "Do\tRun Menu Command ID 777",
                                    "Do\tRun Menu Command ID 780",
                                    "Do\tRun Menu Command ID 783",
                                    "Do\tRun Menu Command ID 784"};
    EXPECT_EQ(SendMessageA(demo_.Toolbar, TB_BUTTONCOUNT, 0, 0), 13);
    for (int i = 2; i < 13; ++i) {
        SCOPED_TRACE(i);
        demo_.Click(i);
        EXPECT_EQ(demo_.NewLog(), Lines{expected[i]});
    }
    // "Exit" ends the program at once, without ending MapInfo.
    demo_.Click(1);
    EXPECT_EQ(demo_.WaitExit(10000), 0);
    EXPECT_EQ(demo_.NewLog(), Lines{});
}

TEST_F(KorvxDemoTest, ToolbarTooltipsInTheirOrder) {
    Start();
    const char* const tooltips[] = {"Open Table...",      "Exit",
                                    "Selector",           "Zoom In",
                                    "Zoom Out",           "Test Line Tool",
                                    "Test Polyline Tool", "Test Rectangle Tool",
                                    "Test Region Tool",   "Test Ellipse Tool",
                                    "Test Symbol Tool",   "Test PushButton",
                                    "Test ToogleButton"};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(demo_.Tooltip(FirstToolbarCommand + i), tooltips[i]) << i;
    EXPECT_EQ(demo_.Tooltip(PanCommand), "");
}

TEST_F(KorvxDemoTest, EventsTraceTheirLines) {
    Start("fire\t777\tEllipseTool\tr:1.5\tr:-2.25\tr:3\tr:4\tr:0\tr:0\ti:777\n"
          "fire\t778\tRectTool\tr:0.1\tr:100000\tr:1234567\tr:12345678\ts:x\ts:y\ti:778\n"
          "fire\t779\tLineTool\tr:-0\tr:0.00001\ti:-7\ts:2.5\ti:0\ti:0\ti:779\n"
          "fire\t780\tSymbolTool\ti:7\ts:8.75\ti:0\ti:0\ti:780\n"
          "fire\t783\tPushButton\ti:783\n"
          "fire\t783\tTextNotification\ts:ignored\n"
          "fire\t783\tMenuItem\ti:785\n"
          "fire\t784\tToggleButton\ti:784\n"
          "fire\t784\tWindowContentsChanged\ti:-2147483648\n");
    const struct {
        const char* Key;
        Lines Trace;
    } events[] = {
        {"ellipse", {"Ellipse Tool: (1.5, -2.25) (3, 4)   ToolBtn ID = 777"}},
        {"rect", {"Rectangle Tool: (0.1, 100000) (1234567, 1.234568E+07) ToolBtn ID = 778"}},
        {"line", {"Line Tool: (0, 1E-05) (-7, 2.5)   ToolBtn ID = 779"}},
        {"symbol", {"Symbol Tool: (7, 8.75) ToolBtn ID = 780"}},
        {"PushButton",
         {"PushButton with ID 783 was pressed", "Menu Item with ID 785 was selected"}},
        {"ToggleButton",
         {"ToggleButton with ID 784 was used",
          "Contents of window with ID -2147483648 was changed"}},
    };
    Lines all;
    for (const auto& event : events) {
        SCOPED_TRACE(event.Key);
        demo_.Command(Command(event.Key));
        all.insert(all.end(), event.Trace.begin(), event.Trace.end());
        EXPECT_EQ(demo_.Messages(), all);
        EXPECT_EQ(demo_.SelectedMessage(), int(all.size()) - 1);
    }
}

TEST_F(KorvxDemoTest, ObjectWalksListEveryNode) {
    const std::string polyline =
        "Polyline Tool: Use CommandInfo(CMD_INFO_CUSTOM_OBJ) to get last entered object";
    const std::string region =
        "Region Tool: Use CommandInfo(CMD_INFO_CUSTOM_OBJ) to get last entered object";
    const struct {
        const char* Key;
        const char* Count;
        Lines Trace;
    } walks[] = {
        {"pline", "0", {polyline}},
        {"region", "1", {region, "1) X = 10.5  Y = -3"}},
        {"pline", " 3 ", {polyline, "1) X = 10.5  Y = -3", "2) X = 2  Y = 0", "3) X = x3  Y = y3"}},
        {"region", "-4", {region}},
    };
    for (const auto& walk : walks) {
        SCOPED_TRACE(walk.Count);
        TDemoRun run;
        ASSERT_TRUE(run.Start(std::string("fire\t781\tPolylineTool\ti:781\n"
                                          "fire\t782\tRegionTool\ti:782\n"
                                          "eval\tObjectInfo(LastObj, 20)\t") +
                              walk.Count +
                              "\neval\tObjectNodeX(LastObj, 1, 1)\t10.5\n"
                              "eval\tObjectNodeY(LastObj, 1, 1)\t-3\n"
                              "eval\tObjectNodeX(LastObj, 1, 2)\t2\n"
                              "eval\tObjectNodeY(LastObj, 1, 2)\t0\n"
                              "eval\tObjectNodeX(LastObj, 1, 3)\tx3\n"
                              "eval\tObjectNodeY(LastObj, 1, 3)\ty3\n"));
        run.NewLog();
        run.Command(Command(walk.Key));
        EXPECT_EQ(run.Messages(), walk.Trace);
        const std::string id = walk.Key == std::string("pline") ? "781" : "782";
        Lines log = {"Do\tRun Menu Command ID " + id, "Do\tDim LastObj As Object",
                     "Do\tLastObj = CommandInfo(1)", "Eval\tObjectInfo(LastObj, 20)"};
        for (size_t i = 1; i < walk.Trace.size(); ++i)
            for (const char* axis : {"X", "Y"})
                log.push_back("Eval\tObjectNode" + std::string(axis) + "(LastObj, 1, " +
                              std::to_string(i) + ")");
        log.push_back("Do\tUnDim LastObj");
        EXPECT_EQ(run.NewLog(), log);
    }
}

TEST_F(KorvxDemoTest, FailedCallsShowTheirErrorAndTheDemoGoesOn) {
    const struct {
        const char* Script;
        const char* Key;
        const char* Text;
        Lines Log;
    } failures[] = {
        {"fail\tDo\tRun Menu Command ID 783\tButton pad is gone\n",
         "PushButton",
         "Do(Run Menu Command ID 783) failed:\r\nButton pad is gone",
         {"Do\tRun Menu Command ID 783"}},
        {"fire\t777\tEllipseTool\tr:1\tr:2\n",
         "ellipse",
         "Do(Run Menu Command ID 777) failed:\r\nEllipseTool callback failed",
         {"Do\tRun Menu Command ID 777"}},
        // A node count that is no 16-bit number: the variable is still undimmed.
        {"fire\t781\tPolylineTool\ti:781\neval\tObjectInfo(LastObj, 20)\t40000\n",
         "pline",
         "Eval(ObjectInfo(LastObj, 20)) failed:\r\n\"40000\" is no node count from -32768 to "
         "32767",
         {"Do\tRun Menu Command ID 781", "Do\tDim LastObj As Object",
          "Do\tLastObj = CommandInfo(1)", "Eval\tObjectInfo(LastObj, 20)", "Do\tUnDim LastObj"}},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.Text);
        TDemoRun run;
        ASSERT_TRUE(run.Start(failure.Script));
        run.NewLog();
        velk::test::TDialogWatcher box(ErrorCaption, IDOK, BoxTimeout);
        run.Command(Command(failure.Key));
        EXPECT_TRUE(box.Result().Found);
        EXPECT_EQ(box.Result().Text, failure.Text);
        EXPECT_EQ(box.Result().Owner, run.Form);
        EXPECT_EQ(run.NewLog(), failure.Log);
        run.Command(Command("zoomin"));
        EXPECT_EQ(run.NewLog(), Lines{"RunMenuCommand\t1705"});
    }
}

TEST_F(KorvxDemoTest, StatusPanelsFollowCountAndTextEvents) {
    Start("fire\t783\tStatusPanelCount\ti:3\n"
          "fire\t783\tStatusPanelText\ti:0\ts:first\n"
          "fire\t783\tStatusPanelText\ti:2\ts:third\n"
          "fire\t783\tStatusPanelText\ti:3\ts:beyond\n"
          "fire\t783\tStatusPanelText\ti:-1\ts:before\n"
          "fire\t784\tStatusPanelCount\ti:3\n"
          "fire\t784\tStatusPanelCount\ti:1\n"
          "fire\t777\tStatusPanelCount\ti:0\n"
          "fire\t777\tStatusPanelText\ti:0\ts:none\n"
          "fire\t778\tStatusPanelCount\ti:2\n"
          "fire\t778\tStatusPanelText\ti:1\ts:second\n"
          "fire\t779\tStatusPanelCount\ti:100000\n");
    EXPECT_EQ(demo_.StatusTexts(), Lines{""});
    const struct {
        const char* Key;
        Lines Texts;
    } steps[] = {
        {"PushButton", {"first", "", "third"}},
        // The same count changes nothing; a smaller one drops panels from the front.
        {"ToggleButton", {"third"}},
        {"ellipse", {}},
        {"rect", {"", "second"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Key);
        demo_.Command(Command(step.Key));
        EXPECT_EQ(demo_.StatusTexts(), step.Texts);
    }
    demo_.Command(Command("line"));
    EXPECT_EQ(demo_.StatusTexts().size(), 255u);
    EXPECT_EQ(demo_.Messages(), Lines{});
}

TEST_F(KorvxDemoTest, OpenMapsTheTableAndTheMapFollowsTheMapper) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "korvx tables";
    CreateDirectoryA(folder.c_str(), nullptr);
    velk::test::WriteBytes(folder + "\\world.tab", "!table\n");
    // The first answer for the handle is no number: nothing is stored from that opening.
    Start("eval\tFrontWindow()\t7\neval\tWindowInfo(7, 12)\tnone\n"
          "eval\tWindowInfo(7, 12)\t{map}\n");
    const HWND map = FindWindowExA(demo_.Mapper, nullptr, "Static", "map");
    ASSERT_TRUE(map);
    const RECT before = Placement(map);
    const auto resizeLeavesMap = [&](int width) {
        SetWindowPos(demo_.Form, nullptr, 0, 0, width, 480, SWP_NOMOVE | SWP_NOZORDER);
        const RECT unmoved = Placement(map);
        EXPECT_TRUE(EqualRect(&before, &unmoved));
    };
    resizeLeavesMap(640);

    // A cancelled dialog sends nothing.
    {
        velk::test::TDialogWatcher dialog("Open Table", IDCANCEL, BoxTimeout);
        demo_.Command(Command("open"));
        EXPECT_TRUE(dialog.Result().Found);
    }
    EXPECT_EQ(demo_.NewLog(), Lines{});

    const auto typeName = [&](HWND dialog) {
        HWND name = GetDlgItem(dialog, cmb13);
        SendMessageA(name ? name : GetDlgItem(dialog, edt1), WM_SETTEXT, 0,
                     LPARAM((folder + "\\world.tab").c_str()));
    };
    const Lines opened = {"Do\tOpen Table \"" + folder + "\\world.tab\"", "Do\tMap From \"world\"",
                          "Do\tSet Map Display Position", "Eval\tFrontWindow()",
                          "Eval\tWindowInfo(7, 12)"};
    {
        velk::test::TDialogWatcher dialog("Open Table", IDOK, BoxTimeout, typeName);
        velk::test::TDialogWatcher box(ErrorCaption, IDOK, BoxTimeout);
        demo_.Command(Command("open"));
        EXPECT_TRUE(dialog.Result().Found);
        EXPECT_EQ(box.Result().Text,
                  "Eval(WindowInfo(7, 12)) failed:\r\n\"none\" is no window handle");
    }
    EXPECT_EQ(demo_.NewLog(), opened);
    resizeLeavesMap(660);
    {
        velk::test::TDialogWatcher dialog("Open Table", IDOK, BoxTimeout, typeName);
        demo_.Command(Command("open"));
        EXPECT_TRUE(dialog.Result().Found);
    }
    EXPECT_EQ(demo_.NewLog(), opened);

    // Now the map window fills the mapper on every resize.
    for (const SIZE size : {SIZE{700, 500}, SIZE{500, 400}}) {
        SetWindowPos(demo_.Form, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client;
        GetClientRect(demo_.Mapper, &client);
        const RECT placed = Placement(map);
        EXPECT_TRUE(EqualRect(&client, &placed));
        EXPECT_GT(client.right, 0);
    }
}

TEST_F(KorvxDemoTest, LayoutKeepsListAndBarsAndGivesTheMapTheRest) {
    Start();
    for (const SIZE size : {SIZE{800, 600}, SIZE{400, 300}, SIZE{300, 120}}) {
        SCOPED_TRACE(size.cy);
        SetWindowPos(demo_.Form, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client, toolbar, status, list, mapper;
        GetClientRect(demo_.Form, &client);
        toolbar = Placement(demo_.Toolbar);
        status = Placement(demo_.Status);
        list = Placement(demo_.List);
        mapper = Placement(demo_.Mapper);
        const int listHeight = list.bottom - list.top;
        EXPECT_EQ(listHeight, 140);
        EXPECT_EQ(list.left, 0);
        EXPECT_EQ(list.right, client.right);
        EXPECT_EQ(list.bottom, status.top);
        EXPECT_EQ(mapper.top, toolbar.bottom);
        EXPECT_EQ(mapper.right, client.right);
        EXPECT_EQ(mapper.bottom - mapper.top,
                  std::max(0L, client.bottom - (toolbar.bottom - toolbar.top) -
                                   (status.bottom - status.top) - listHeight));
    }
}

TEST_F(KorvxDemoTest, ClosingEndsMapInfo) {
    Start();
    PostMessageA(demo_.Form, WM_CLOSE, 0, 0);
    EXPECT_EQ(demo_.WaitExit(10000), 0);
    EXPECT_EQ(demo_.NewLog(), Lines{"Do\tEnd MapInfo"});
}

TEST_F(KorvxDemoTest, WithoutMapInfoTheDemoSaysSoAndEnds) {
    ASSERT_TRUE(velk::test::RegisterStandIn(STANDIN_MAPINFO_DLL, false));
    velk::test::TDialogWatcher box(ErrorCaption, IDOK, BoxTimeout);
    EXPECT_FALSE(demo_.Start(""));
    EXPECT_TRUE(box.Result().Found);
    EXPECT_EQ(box.Result().Text.rfind("MapInfo Professional could not be started.\r\n\r\n"
                                      "CreateObject(MapInfo.Application) failed:\r\n",
                                      0),
              0u)
        << box.Result().Text;
    EXPECT_EQ(demo_.WaitExit(10000), 1);
    ASSERT_TRUE(velk::test::RegisterStandIn(STANDIN_MAPINFO_DLL));
}

} // namespace
