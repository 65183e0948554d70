#include "demo/StatusPanels.h"

#include <algorithm>

namespace velk::demo {

bool TStatusPanels::SetCount(int32_t n) {
    const size_t count = static_cast<size_t>(std::clamp(n, int32_t{0}, MaxCount));
    if (count == texts_.size())
        return false;
    if (count < texts_.size())
        texts_.erase(texts_.begin(), texts_.begin() + (texts_.size() - count));
    else
        texts_.resize(count);
    return true;
}

bool TStatusPanels::SetText(int32_t index, const std::string& text) {
    if (index < 0 || static_cast<size_t>(index) >= texts_.size())
        return false;
    texts_[index] = text;
    return true;
}

} // namespace velk::demo
