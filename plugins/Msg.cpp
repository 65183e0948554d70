#include "plugins/Msg.h"

#include "database/VKVariables.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epIniFile.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "plugins/LanguageList.h"
#include "plugins/VKPlugins.h"

namespace velk {

namespace {

struct TLanguages {
    TvkMainDatabase* Database = nullptr;
    std::string WorkFolder;
    std::string Current = "ENU";
    std::string File;
    std::vector<std::string> List;
};

TLanguages Languages;

// Locale enumeration has no context argument: the walk in progress.
struct TLocaleWalk {
    std::string Code; // LanguageCharset's
    int32_t Charset = 1;
};
TLocaleWalk Walk;

std::string MainPackageFolder() {
    TvkMainDatabase* db = Languages.Database;
    return db && db->Packages->Count() > 0 ? db->Packages->Items(0)->Folder : std::string();
}

// A locale's text in the system code page, at most 255 characters: wide on the NT family.
std::string LocaleText(LCID locale, LCTYPE type) {
    if (IsWin9xFamily(OSVersion())) {
        char text[256] = {};
        return GetLocaleInfoA(locale, type, text, sizeof text) > 0 ? std::string(text) : "";
    }
    wchar_t wide[256] = {};
    if (GetLocaleInfoW(locale, type, wide, 256) <= 0)
        return {};
    char text[256] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

LCID ParseLocale(const char* hex) {
    return LCID(std::strtoul(hex, nullptr, 16));
}

BOOL CALLBACK NameListedLanguage(LPSTR localeText) {
    const LCID locale = ParseLocale(localeText);
    const int index =
        FindLanguage(Languages.List, UpperCase(LocaleText(locale, LOCALE_SABBREVLANGNAME)));
    if (index >= 0)
        Languages.List[size_t(index)] = LanguageCode(Languages.List[size_t(index)]) + "=" +
                                        LocaleText(locale, LOCALE_SLANGUAGE);
    return TRUE;
}

BOOL CALLBACK FindCharset(LPSTR localeText) {
    const LCID locale = ParseLocale(localeText);
    if (!SameText(LocaleText(locale, LOCALE_SABBREVLANGNAME), Walk.Code))
        return TRUE;
    const UINT codePage =
        UINT(StrToIntDef(LocaleText(locale, LOCALE_IDEFAULTANSICODEPAGE).substr(0, 5), 0));
    CHARSETINFO info = {};
    if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(uintptr_t(codePage)), &info, TCI_SRCCODEPAGE))
        Walk.Charset = int32_t(info.ciCharset);
    return FALSE;
}

// A language file that cannot be read gives the default like a missing one.
std::string ReadLanguageValue(const std::string& file, std::string_view section,
                              std::string_view key, const std::string& def) {
    if (file.empty())
        return def;
    try {
        return IniReadString(file, section, key, def);
    } catch (const EInOutError&) {
        return def;
    }
}

} // namespace

void InitLanguages(TvkMainDatabase& db, const std::string& workFolder) {
    Languages = TLanguages();
    Languages.Database = &db;
    Languages.WorkFolder = workFolder;
}

void DoneLanguages() {
    Languages = TLanguages();
}

void BuildLanguageList() {
    TvkMainDatabase* db = Languages.Database;
    Languages.List = ParseLanguageCodes(GetVariable(db, "Languages", "ENU"));
    EnumSystemLocalesA(NameListedLanguage, LCID_INSTALLED);
    const std::string folder = MainPackageFolder() + "lng\\";
    for (std::string& line : Languages.List)
        if (LanguageDisplayName(line).empty()) {
            const std::string code = LanguageCode(line);
            line = code + "=" +
                   ReadLanguageValue(folder + code + ".lng", "Strings", "LanguageName", code);
        }
    if (Languages.List.empty())
        Languages.List.push_back("ENU=English (USA)");
}

int ChooseStartLanguage() {
    const bool autoSelect = GetVariableBool(Languages.Database, "AutoSelectLanguage", true);
    const std::string user =
        autoSelect ? UpperCase(LocaleText(GetUserDefaultLCID(), LOCALE_SABBREVLANGNAME)) : "";
    return ChooseLanguageIndex(Languages.List, autoSelect, user);
}

void ActivateLanguage(const std::string& code) {
    TvkMainDatabase* db = Languages.Database;
    Languages.Current = UpperCase(code);
    SetVariable(db, "LangID", Languages.Current);
    Languages.File = MainPackageFolder() + "lng\\" + Languages.Current + ".lng";
    if (!FileExists(Languages.File))
        Languages.File = Languages.WorkFolder + "Enu.lng";
    MessageTitle = GetVariable(db, "AppName", "Application");
    RaiseEvent(EV_LANGUAGECHANGED, AsData(Languages.Current.c_str()), nullptr, TStopMode::All);
}

const std::vector<std::string>& LanguageList() {
    return Languages.List;
}

const std::string& CurrentLanguage() {
    return Languages.Current;
}

const std::string& LanguageFile() {
    return Languages.File;
}

std::string GetText(std::string_view section, std::string_view key, const std::string& def) {
    const std::string raw = ReadLanguageValue(Languages.File, section, key, def);
    return ExpandVariables(Languages.Database, raw);
}

std::string GetMessageText(int number, const std::vector<std::string>& args) {
    const std::string raw = ReadLanguageValue(Languages.File, "Strings", IntToStr(number), "");
    return FormatMessageText(raw, args, [](std::string_view piece) {
        return ExpandVariables(Languages.Database, piece);
    });
}

int32_t LanguageCharset(const std::string& code) {
    Walk = TLocaleWalk();
    Walk.Code = code;
    EnumSystemLocalesA(FindCharset, LCID_INSTALLED);
    return Walk.Charset;
}

} // namespace velk
