#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velk::demo {

// The texts of the status bar's panels, which mirror MapInfo's status bar. A new bar has one
// empty panel.
class TStatusPanels {
public:
    // The status bar cannot hold more parts than this.
    static constexpr int32_t MaxCount = 255;

    // Removes panels from the front or adds empty ones at the end until there are n (a count
    // below zero or above MaxCount is taken as the nearest bound); false when nothing changed.
    bool SetCount(int32_t n);
    // Sets the text of the panel at the zero-based index; false (and nothing set) for an index
    // outside the panels.
    bool SetText(int32_t index, const std::string& text);
    const std::vector<std::string>& Texts() const { return texts_; }

private:
    std::vector<std::string> texts_ = {""};
};

} // namespace velk::demo
