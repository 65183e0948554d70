#include "plugins/LanguageList.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(LanguageList, CodesFromTheVariableUpperCaseTrimmedInOrder) {
    const struct {
        const char* Languages;
        Lines Expected;
    } cases[] = {
        {"enu, deu", {"ENU=", "DEU="}},
        {" fra ,ENU,, ", {"FRA=", "ENU="}},
        {"", {}},
        {"rus", {"RUS="}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velk::ParseLanguageCodes(c.Languages), c.Expected) << c.Languages;
    EXPECT_EQ(velk::LanguageCode("DEU=Deutsch"), "DEU");
    EXPECT_EQ(velk::LanguageDisplayName("DEU=Deutsch"), "Deutsch");
    EXPECT_EQ(velk::LanguageDisplayName("DEU"), "");
}

TEST(LanguageList, StartLanguageUserFirstThenEnuThenTheFirstLine) {
    const Lines withEnu = {"DEU=Deutsch", "ENU=English", "FRA=Francais"};
    const Lines withoutEnu = {"DEU=Deutsch", "FRA=Francais"};
    const struct {
        const Lines* List;
        bool Auto;
        const char* User;
        int Expected;
    } cases[] = {
        {&withEnu, true, "FRA", 2},    {&withEnu, true, "fra", 2},  {&withEnu, true, "RUS", 1},
        {&withEnu, true, "", 0},       {&withEnu, false, "FRA", 0}, {&withoutEnu, true, "RUS", 0},
        {&withoutEnu, true, "FRA", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velk::ChooseLanguageIndex(*c.List, c.Auto, c.User), c.Expected)
            << c.User << " auto " << c.Auto;
}

TEST(LanguageList, PlaceholdersTakeExactlyTheArgumentsAndAreNeverExpanded) {
    // A stand-in for the expansion: %AppName% is "App", any other reference vanishes, %% is %.
    const velk::TExpandText expand = [](std::string_view text) {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            if (text[i] != '%') {
                out += text[i++];
                continue;
            }
            const size_t close = text.find('%', i + 1);
            if (close == std::string_view::npos) {
                out.append(text.substr(i));
                break;
            }
            const std::string_view name = text.substr(i + 1, close - i - 1);
            out += name.empty() ? "%" : name == "AppName" ? "App" : "";
            i = close + 1;
        }
        return out;
    };
    const struct {
        const char* Raw;
        std::vector<std::string> Args;
        const char* Expected;
    } cases[] = {
        {"Version %s or newer is needed for %AppName%.",
         {"5.0"},
         "Version 5.0 or newer is needed for App."},
        {"Cannot install file \"%s\"!",
         {"C:\\%AppName%\\a.dll"},
         "Cannot install file \"C:\\%AppName%\\a.dll\"!"},
        {"%s and %s", {"one"}, "one and %s"},
        {"%s", {}, "%s"},
        {"%s at 5%d", {"a"}, "a at 5%d"},
        {"100%% of %s", {"it"}, "100% of it"},
        {"%%s stays", {"x"}, "%s stays"},
        {"", {"unused"}, ""},
        {"trailing %", {}, "trailing %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(velk::FormatMessageText(c.Raw, c.Args, expand), c.Expected) << c.Raw;
}

} // namespace
