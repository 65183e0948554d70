#pragma once

#include "platform/epUtils.h"

namespace velk {

// The class of the main window, which the splash and the preparation window share.
constexpr char MainWindowClass[] = "VelkMainWindow";

// The hidden main window: it owns the engine's other windows and boxes and carries plug-in events
// raised on other threads to the main thread. Its class, "VelkMainWindow", is registered once per
// process with the icon "MAINICON" of the given module. Null after a box when the class cannot be
// registered or the window not created.
TWindowHandle CreateMainWindow(TModuleHandle instance);
void DestroyMainWindow(TWindowHandle window);

} // namespace velk
