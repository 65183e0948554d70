#include "demo/FormLayout.h"

#include <algorithm>

namespace velk::demo {

TFormLayout LayoutForm(int width, int height, int toolbarHeight, int statusHeight, int listHeight) {
    TFormLayout layout;
    layout.Messages = {0, height - statusHeight - listHeight, width, listHeight};
    layout.Mapper = {0, toolbarHeight, width,
                     std::max(0, height - toolbarHeight - statusHeight - listHeight)};
    return layout;
}

} // namespace velk::demo
