#pragma once

namespace velk::demo {

struct TBox {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct TFormLayout {
    TBox Mapper;
    TBox Messages;
};

// Toolbar on top and status bar at the bottom keep their own heights; the message list keeps its
// height above the status bar and the map takes the rest. A form too small for them gives the
// map no height rather than a negative one.
TFormLayout LayoutForm(int width, int height, int toolbarHeight, int statusHeight, int listHeight);

} // namespace velk::demo
