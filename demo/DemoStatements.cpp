#include "demo/DemoStatements.h"

#include <charconv>
#include <cmath>

namespace velk::demo {

const TCustomItem CustomItems[8] = {
    {"\"A\"", " As ToolButton ID 777 DrawMode 31 Calling OLE ", "\"EllipseTool\"", "ellipse",
     "Run Menu Command ID 777", true},
    {"\"B\"", " As ToolButton ID 778 DrawMode 32 Calling OLE ", "\"RectTool\"", "rect",
     "Run Menu Command ID 778", true},
    {"\"C\"", " As ToolButton ID 779 DrawMode 33 Calling OLE ", "\"LineTool\"", "line",
     "Run Menu Command ID 779", true},
    {"\"D\"", " As ToolButton ID 780 DrawMode 34 Calling OLE ", "\"SymbolTool\"", "symbol",
     "Run Menu Command ID 780", true},
    {"\"E\"", " As ToolButton ID 781 DrawMode 36 Calling OLE ", "\"PolylineTool\"", "pline",
     "Run Menu Command ID 781", true},
    {"\"F\"", " As ToolButton ID 782 DrawMode 35 Calling OLE ", "\"RegionTool\"", "region",
     "Run Menu Command ID 782", true},
    {"\"G\"", " As PushButton ID 783 Calling OLE ", "\"PushButton\"", "PushButton",
     "Run Menu Command ID 783", false},
    {"\"H\"", " As ToggleButton ID 784 Calling OLE ", "\"ToggleButton\"", "ToggleButton",
     "Run Menu Command ID 784", false},
};

std::vector<std::string> CustomItemStatements() {
    std::vector<std::string> statements;
    for (const TCustomItem& item : CustomItems)
        statements.push_back(std::string("Create ButtonPad ") + item.Pad + item.Middle +
                             item.Method + (item.IsTool ? " Cursor 128" : ""));
    statements.push_back("Create Menu \"Callback\" As \"Test\" ID 785 Calling OLE\"MenuItem\"");
    statements.push_back("Alter Menu Bar Add\"Callback\"");
    return statements;
}

std::string ApplicationWindowStatement(uint32_t formWindow) {
    return "Set Application Window " + std::to_string(formWindow);
}

std::string DocumentParentStatement(uint32_t mapperWindow) {
    return "Set Next Document Parent " + std::to_string(mapperWindow) + "Style 1";
}

std::string TableName(std::string_view path) {
    const size_t slash = path.rfind('\\');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // A name of four characters or fewer has no extension to drop: it stays whole rather than
    // becoming empty.
    if (name.size() > 4)
        name.remove_suffix(4);
    return std::string(name);
}

std::vector<std::string> OpenTableStatements(std::string_view path) {
    return {"Open Table \"" + std::string(path) + "\"", "Map From \"" + TableName(path) + "\"",
            "Set Map Display Position"};
}

std::string WindowHandleExpression(std::string_view windowId) {
    return "WindowInfo(" + std::string(windowId) + ", 12)";
}

namespace {

bool ParseWhole(std::string_view text, double low, double high, double& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double number = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), number, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return false;
    number = std::nearbyint(number);
    if (!(number >= low && number <= high))
        return false;
    value = number;
    return true;
}

} // namespace

bool ParseInt16(std::string_view text, int16_t& value) {
    double number = 0;
    if (!ParseWhole(text, -32768.0, 32767.0, number))
        return false;
    value = static_cast<int16_t>(number);
    return true;
}

bool ParseHandle(std::string_view text, uint32_t& value) {
    double number = 0;
    if (!ParseWhole(text, -2147483648.0, 4294967295.0, number))
        return false;
    value = static_cast<uint32_t>(static_cast<int64_t>(number));
    return true;
}

} // namespace velk::demo
