#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/VKClasses.h"

namespace velk {

// The language store: the offered languages, the active language file and the engine's texts
// taken from it. One per process, used on the main thread.

// Starts with "ENU" and an empty list; db's first package is the main package.
void InitLanguages(TvkMainDatabase& db, const std::string& workFolder);
void DoneLanguages();

// From the variable Languages, named by Windows or by the languages' own files.
void BuildLanguageList();
// The start language's index in the list.
int ChooseStartLanguage();
// Makes the language current and tells the plug-ins (EV_LANGUAGECHANGED).
void ActivateLanguage(const std::string& code);

const std::vector<std::string>& LanguageList();
const std::string& CurrentLanguage();
const std::string& LanguageFile();

// The key of the active language file's section, default when missing, expanded.
std::string GetText(std::string_view section, std::string_view key, const std::string& def);
// Message number from section "Strings", with its "%s" placeholders filled by args in order.
std::string GetMessageText(int number, const std::vector<std::string>& args = {});

// The Windows character set of the language; 1 (the default set) when no locale matches.
int32_t LanguageCharset(const std::string& code);

} // namespace velk
