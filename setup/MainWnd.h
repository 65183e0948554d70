#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

constexpr char MainWindowClass[] = "VelkMainWindow";

// Registers the class "VelkMainWindow" (which the splash and the preparation window use too)
// and creates the hidden main window, which owns the engine's other windows and boxes. Null,
// after the box "Cannot register main window class!" when the class cannot be registered.
HWND CreateMainWindow(HINSTANCE instance, HICON icon);

} // namespace velk
