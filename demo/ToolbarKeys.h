#pragma once

#include <string>
#include <string_view>

namespace velk::demo {

struct TToolbarButton {
    const char* Key;
    const char* Tooltip;
};

// The toolbar's buttons, left to right.
extern const TToolbarButton ToolbarButtons[13];

// Toolbar buttons send WM_COMMAND with FirstToolbarCommand + their index; "pan" has no button
// but a command of its own after them.
constexpr int FirstToolbarCommand = 1000;
constexpr int PanCommand = FirstToolbarCommand + 13;
// The key of a command, or empty for a command that is no key.
std::string_view KeyOfCommand(int command);
// The tooltip of a button's command; empty for other commands.
const char* TooltipOfCommand(int command);

enum class TActionKind { None, Do, RunMenuCommand, Open, EndApp };

struct TToolbarAction {
    TActionKind Kind = TActionKind::None;
    std::string Statement; // for Do
    int MenuCommand = 0;   // for RunMenuCommand
};

TToolbarAction ActionForKey(std::string_view key);

} // namespace velk::demo
