#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

#include "database/epXMLParser.h"
#include "tools/velkpack/CodePage.h"

namespace velk {

// Keys stay in the order they were added, so output reads like the structure it describes.
using TJson = nlohmann::ordered_json;

// The tree under tag, every node as {"kind", "name", "attributes", "text", "children"}: kind is
// "element", "text" or "comment"; attributes are [name, value] pairs in document order, each line
// split at its first "="; texts are converted from codePage to UTF-8. Works at any depth.
TJson TagToJson(const TXMLTag& tag, TCodePage codePage);

enum class TJsonLayout {
    Pretty,  // two blanks of indent per level, arrays of plain values on one line
    Compact, // one line without blanks
};

// Writes value and a final line break. Works at any depth.
void WriteJson(std::ostream& out, const TJson& value, TJsonLayout layout = TJsonLayout::Pretty);

} // namespace velk
