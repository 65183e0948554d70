#pragma once

#include <string>
#include <string_view>

namespace velk {

// The 8-bit code pages system texts can be shown from.
enum class TCodePage { Windows1252 = 1252, Latin1 = 28591 };

// Accepts the number of a supported code page ("1252", "28591").
bool TryParseCodePage(std::string_view text, TCodePage& codePage);

// Converts 8-bit text to UTF-8. Every byte has a character: Windows-1252's five unassigned bytes
// stand for the Latin-1 characters of the same code, so the result is always valid UTF-8.
std::string ToUtf8(std::string_view text, TCodePage codePage);

} // namespace velk
