// The lines the demo lists for the control's events.
#include <gtest/gtest.h>

#include "demo/DemoEvent.h"

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

// Each event's line is checked under Wine, through the control; here the events without one.
TEST(TraceText, EventsWithoutALine) {
    for (TEventKind kind :
         {TEventKind::PolylineTool, TEventKind::RegionTool, TEventKind::StatusPanelCount,
          TEventKind::StatusPanelText, TEventKind::TextNotification}) {
        TDemoEvent event;
        event.Kind = kind;
        EXPECT_FALSE(TraceLine(event));
        EXPECT_EQ(WalkHeading(kind).has_value(),
                  kind == TEventKind::PolylineTool || kind == TEventKind::RegionTool);
    }
    EXPECT_EQ(NodeLine(12, "-1.5", "x"), "12) X = -1.5  Y = x");
}

} // namespace
