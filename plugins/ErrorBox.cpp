#include "plugins/ErrorBox.h"

#include "platform/epUtils.h"

namespace velk {

namespace {
constexpr uint32_t kIconStop = 0x10;
}

void ErrorBox(const std::string& caption, const std::string& text) {
    // No plug-in host yet answers for the active window, so the box has no owner.
    MessageBoxCentered(nullptr, caption, text, kIconStop);
}

} // namespace velk
