#include "platform/epLocale.h"

#include "platform/StrUtils.h"

// The author tools on Linux use the settings a Windows system has out of the box.

namespace velk {

char UserDateSeparator() {
    return '/';
}

char UserTimeSeparator() {
    return ':';
}

char UserDecimalSeparator() {
    return '.';
}

std::string FormatShortDate(const TLocalTime& date) {
    return Format("%d/%d/%d", date.Month, date.Day, date.Year);
}

// Letters fold as the Windows code page folds them; the order is that of the folded codes.
int CompareTextLocale(std::string_view a, std::string_view b) {
    return AnsiUpperCase(a).compare(AnsiUpperCase(b));
}

} // namespace velk
