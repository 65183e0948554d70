#include "demo/DemoEvent.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace velk::demo {

std::string SingleText(float value) {
    if (value == 0.0f)
        return "0"; // no sign on a negative zero
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 7);
    std::string out(text, result.ptr);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

namespace {

std::string Pair(float x, float y) {
    return "(" + SingleText(x) + ", " + SingleText(y) + ")";
}

std::string Segment(const char* heading, const TDemoEvent& e, const char* idLabel) {
    return heading + Pair(e.X1, e.Y1) + " " + Pair(e.X2, e.Y2) + idLabel + std::to_string(e.Id);
}

std::string Sentence(const char* head, int32_t id, const char* tail) {
    return head + std::to_string(id) + tail;
}

} // namespace

std::optional<std::string> TraceLine(const TDemoEvent& e) {
    switch (e.Kind) {
    case TEventKind::EllipseTool:
        return Segment("Ellipse Tool: ", e, "   ToolBtn ID = ");
    case TEventKind::LineTool:
        return Segment("Line Tool: ", e, "   ToolBtn ID = ");
    case TEventKind::RectTool:
        return Segment("Rectangle Tool: ", e, " ToolBtn ID = ");
    case TEventKind::SymbolTool:
        return "Symbol Tool: " + Pair(e.X1, e.Y1) + " ToolBtn ID = " + std::to_string(e.Id);
    case TEventKind::PushButton:
        return Sentence("PushButton with ID ", e.Id, " was pressed");
    case TEventKind::ToggleButton:
        return Sentence("ToggleButton with ID ", e.Id, " was used");
    case TEventKind::WindowChanged:
        return Sentence("Contents of window with ID ", e.Id, " was changed");
    case TEventKind::MenuItem:
        return Sentence("Menu Item with ID ", e.Id, " was selected");
    default:
        return std::nullopt;
    }
}

std::optional<std::string> WalkHeading(TEventKind kind) {
    if (kind == TEventKind::PolylineTool)
        return "Polyline Tool: Use CommandInfo(CMD_INFO_CUSTOM_OBJ) to get last entered object";
    if (kind == TEventKind::RegionTool)
        return "Region Tool: Use CommandInfo(CMD_INFO_CUSTOM_OBJ) to get last entered object";
    return std::nullopt;
}

std::string NodeLine(int index, const std::string& x, const std::string& y) {
    return std::to_string(index) + ") X = " + x + "  Y = " + y;
}

} // namespace velk::demo
