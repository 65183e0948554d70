#pragma once

#include <string>
#include <string_view>

#include "platform/epFileUtils.h"

namespace velk {

// The user's regional settings, read anew on every call so that a change shows at once.

char UserDateSeparator();
char UserTimeSeparator();
char UserDecimalSeparator();
// The date in the user's short date format.
std::string FormatShortDate(const TLocalTime& date);
// <0, 0 or >0 in the user's collation order, without regard to case.
int CompareTextLocale(std::string_view a, std::string_view b);

} // namespace velk
