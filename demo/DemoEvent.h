#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velk::demo {

// The callbacks the KorvelX control relays, as the form sees them once their arguments are read.
enum class TEventKind {
    EllipseTool,
    LineTool,
    RectTool,
    SymbolTool,
    PolylineTool,
    RegionTool,
    PushButton,
    ToggleButton,
    WindowChanged,
    MenuItem,
    StatusPanelCount,
    StatusPanelText,
    TextNotification,
};

struct TDemoEvent {
    TEventKind Kind = TEventKind::TextNotification;
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0; // a symbol's point is X1, Y1
    int32_t Id = 0; // tool, button, menu or window id; panel count or index for the status events
    std::string Text;
};

// Seven significant digits, without trailing zeros, exponent form beyond them.
std::string SingleText(float value);

// The line an event adds to the message list; none for events that trace no single line.
std::optional<std::string> TraceLine(const TDemoEvent& event);
// The first line of an object walk, for the polyline and region tools; none for the others.
std::optional<std::string> WalkHeading(TEventKind kind);
std::string NodeLine(int index, const std::string& x, const std::string& y);

} // namespace velk::demo
