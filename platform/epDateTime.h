#pragma once

#include <string_view>

#include "platform/epFileUtils.h"

namespace velk {

// Dates and times as TDateTime: days since 30 December 1899 plus the time of day as a fraction.
// Earlier moments are negative; the fraction is always added, so values order as time runs.

// The local date and time now.
TLocalTime Now();

// False for a day or time that does not exist (years 1 to 9999).
bool TryEncodeDateTime(const TLocalTime& time, TDateTime& value);
// The calendar day and the time of day rounded to the millisecond.
TLocalTime DecodeDateTime(TDateTime value);

// Reads "month/day/year" optionally followed by "hour:minute[:second]" and "AM" or "PM",
// blanks around the parts allowed, whatever the user's regional settings. A year of one or two
// digits lies within 50 years of the current one; a missing year is the current one. False for
// anything else.
bool TryStrToDateTimeMDY(std::string_view text, int currentYear, TDateTime& value);

} // namespace velk
