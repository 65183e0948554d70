#pragma once

#include <string>

namespace velk {

// The engine's error box: the stop icon, owned by the window that the user-interface plug-in
// reports as active (CM_GETACTIVEWINDOW; none while no plug-in answers).
void ErrorBox(const std::string& caption, const std::string& text);

} // namespace velk
