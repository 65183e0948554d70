#pragma once

#include <string>

namespace velk {

// The engine's error box: the stop icon, owned by the window the user-interface plug-in names as
// active (none while no plug-in is loaded).
void ErrorBox(const std::string& caption, const std::string& text);

} // namespace velk
