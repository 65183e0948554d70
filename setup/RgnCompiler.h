#pragma once

#include "platform/win/WindowsSupport.h"

namespace velk {

// The outline of a picture: every pixel of the given part (width x height from left, top) whose
// colour is not the key colour (0x00BBGGRR). None when every pixel is the key colour or the
// picture cannot be read; setting none leaves a window rectangular.
HRGN CompileRegion(HBITMAP picture, int left, int top, COLORREF key, int height, int width);

} // namespace velk
