#include "plugins/ErrorBox.h"

#include "platform/epUtils.h"
#include "plugins/VKPlugins.h"

namespace velk {

namespace {
constexpr uint32_t kIconStop = 0x10;
}

void ErrorBox(const std::string& caption, const std::string& text) {
    const int32_t owner = RaiseEventByName("CM_GETACTIVEWINDOW", 0, nullptr, TStopMode::First);
    MessageBoxCentered(reinterpret_cast<TWindowHandle>(intptr_t(owner)), caption, text, kIconStop);
}

} // namespace velk
