#pragma once

#include <string>
#include <string_view>

namespace velk {

// The full name of a TrueType or OpenType font (or the first font of a collection) from its
// name table, in 8-bit Windows-1252 text; empty for anything that is not such a font or has
// no full name. Names of the Windows platform in US English are preferred, as Windows shows them.
std::string ReadFontFullName(std::string_view font);

} // namespace velk
