#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The portable rules of the language store. A language line is a code, "=" and a display name.

// One line "CODE=" per code of the variable Languages, in order: upper case, trimmed; empty
// codes are left out.
std::vector<std::string> ParseLanguageCodes(std::string_view languages);

std::string LanguageCode(const std::string& line);
std::string LanguageDisplayName(const std::string& line);
// Index of the line with the code (case ignored), -1 when missing.
int FindLanguage(const std::vector<std::string>& lines, std::string_view code);

// The start language: the user's language (empty when unknown) when auto-selection is on and it
// is listed, else "ENU" when listed, else the first line.
int ChooseLanguageIndex(const std::vector<std::string>& lines, bool autoSelect,
                        std::string_view userCode);

// A message text with its "%s" placeholders filled by args, in order. The pieces between them
// pass through expand (the %Name% expansion) on their own, so a placeholder is never read as a
// reference and no argument is ever expanded; a "%s" beyond the arguments stays as written.
using TExpandText = std::string (*)(std::string_view text);
std::string FormatMessageText(std::string_view raw, const std::vector<std::string>& args,
                              TExpandText expand);

} // namespace velk
