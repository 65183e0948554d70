#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk::demo {

// The form's toolbar: one button per key with its picture from ImageList1, tooltips asked of
// the parent (TTN_GETDISPINFO).
HWND CreateDemoToolbar(HWND parent, HINSTANCE instance);

} // namespace velk::demo
