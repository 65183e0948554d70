// The lines the demo lists for the control's events.
#include <gtest/gtest.h>

#include "demo/DemoEvent.h"

#include <limits>

namespace {

using namespace velk::demo;

TEST(TraceText, SingleInShortForm) {
    const std::pair<float, const char*> cases[] = {
        {1.5f, "1.5"},
        {-0.0f, "0"},
        {0.1f, "0.1"},
        {100000.0f, "100000"},
        {1234567.0f, "1234567"},
        {12345678.0f, "1.234568E+07"},
        {0.0001f, "0.0001"},
        {0.00001f, "1E-05"},
        {-73.98765f, "-73.98765"},
        {1.0f / 3, "0.3333333"},
        {3.4e38f, "3.4E+38"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(SingleText(value), text) << text;
}

TEST(TraceText, OneLinePerEvent) {
    const auto event = [](TEventKind kind, int32_t id) {
        TDemoEvent e;
        e.Kind = kind;
        e.X1 = 1.25f, e.Y1 = -2, e.X2 = 30000000, e.Y2 = 0.5f, e.Id = id;
        return e;
    };
    const std::pair<TDemoEvent, const char*> cases[] = {
        {event(TEventKind::EllipseTool, 777),
         "Ellipse Tool: (1.25, -2) (3E+07, 0.5)   ToolBtn ID = 777"},
        {event(TEventKind::LineTool, -1), "Line Tool: (1.25, -2) (3E+07, 0.5)   ToolBtn ID = -1"},
        {event(TEventKind::RectTool, 778),
         "Rectangle Tool: (1.25, -2) (3E+07, 0.5) ToolBtn ID = 778"},
        {event(TEventKind::SymbolTool, 780), "Symbol Tool: (1.25, -2) ToolBtn ID = 780"},
        {event(TEventKind::PushButton, 783), "PushButton with ID 783 was pressed"},
        {event(TEventKind::ToggleButton, 784), "ToggleButton with ID 784 was used"},
        {event(TEventKind::WindowChanged, std::numeric_limits<int32_t>::max()),
         "Contents of window with ID 2147483647 was changed"},
        {event(TEventKind::MenuItem, 785), "Menu Item with ID 785 was selected"},
    };
    for (const auto& [e, line] : cases)
        EXPECT_EQ(TraceLine(e), line);
    for (TEventKind kind :
         {TEventKind::PolylineTool, TEventKind::RegionTool, TEventKind::StatusPanelCount,
          TEventKind::StatusPanelText, TEventKind::TextNotification})
        EXPECT_FALSE(TraceLine(event(kind, 1)));
    EXPECT_FALSE(WalkHeading(TEventKind::EllipseTool));
    EXPECT_EQ(NodeLine(12, "-1.5", "x"), "12) X = -1.5  Y = x");
}

} // namespace
