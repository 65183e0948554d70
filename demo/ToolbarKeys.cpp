#include "demo/ToolbarKeys.h"

#include "demo/DemoStatements.h"

namespace velk::demo {

const TToolbarButton ToolbarButtons[13] = {
    {"open", "Open Table..."},
    {"end_app", "Exit"},
    {"selector", "Selector"},
    {"zoomin", "Zoom In"},
    {"zoomout", "Zoom Out"},
    {"line", "Test Line Tool"},
    {"pline", "Test Polyline Tool"},
    {"rect", "Test Rectangle Tool"},
    {"region", "Test Region Tool"},
    {"ellipse", "Test Ellipse Tool"},
    {"symbol", "Test Symbol Tool"},
    {"PushButton", "Test PushButton"},
    {"ToggleButton", "Test ToogleButton"},
};

std::string_view KeyOfCommand(int command) {
    const int index = command - FirstToolbarCommand;
    if (index >= 0 && index < 13)
        return ToolbarButtons[index].Key;
    return command == PanCommand ? "pan" : "";
}

const char* TooltipOfCommand(int command) {
    const int index = command - FirstToolbarCommand;
    return index >= 0 && index < 13 ? ToolbarButtons[index].Tooltip : "";
}

TToolbarAction ActionForKey(std::string_view key) {
    for (const TCustomItem& item : CustomItems)
        if (key == item.Key)
            return {TActionKind::Do, item.RunStatement, 0};
    static const struct {
        const char* Key;
        int Command;
    } menuCommands[] = {{"selector", 1701}, {"pan", 1702}, {"zoomin", 1705}, {"zoomout", 1706}};
    for (const auto& entry : menuCommands)
        if (key == entry.Key)
            return {TActionKind::RunMenuCommand, "", entry.Command};
    if (key == "open")
        return {TActionKind::Open, "", 0};
    if (key == "end_app")
        return {TActionKind::EndApp, "", 0};
    return {};
}

} // namespace velk::demo
