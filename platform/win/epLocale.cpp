#include "platform/epLocale.h"

#include "platform/StrUtils.h"
#include "platform/win/WindowsSupport.h"
#include "platform/win/epLocaleApi.h"

namespace velk {

TLocaleApi LocaleApi;

namespace {

// The first character of a setting; def when the system has none.
char LocaleChar(LCTYPE type, char def) {
    char buffer[8];
    return LocaleApi.GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) > 1
               ? buffer[0]
               : def;
}

} // namespace

char UserDateSeparator() {
    return LocaleChar(LOCALE_SDATE, '/');
}

char UserTimeSeparator() {
    return LocaleChar(LOCALE_STIME, ':');
}

char UserDecimalSeparator() {
    return LocaleChar(LOCALE_SDECIMAL, '.');
}

std::string FormatShortDate(const TLocalTime& date) {
    SYSTEMTIME st = {};
    st.wYear = WORD(date.Year);
    st.wMonth = WORD(date.Month);
    st.wDay = WORD(date.Day);
    char buffer[80];
    int n = LocaleApi.GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer,
                                     sizeof buffer);
    if (n > 1)
        return std::string(buffer, size_t(n - 1));
    // Without the user's format the date is still given, month first.
    return Format("%d/%d/%d", date.Month, date.Day, date.Year);
}

int CompareTextLocale(std::string_view a, std::string_view b) {
    int r = LocaleApi.CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()),
                                     b.data(), int(b.size()));
    if (r == 0)
        return CompareText(a, b);
    return r - CSTR_EQUAL;
}

} // namespace velk
