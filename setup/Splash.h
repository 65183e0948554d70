#pragma once

#include <string>

#include "platform/win/WindowsSupport.h"

namespace velk {

// The splash picture of the main package, shown while the package is prepared. A file that is
// missing, too short for its trailer, or no bitmap that can be shown safely shows nothing.
void ShowSplash(const std::string& path);
// Waits out the splash's minimum display time (serving messages), then closes it.
void CloseSplash();
HWND SplashWindow();

} // namespace velk
