#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

struct TCalendarDate {
    int Year = 0;
    int Month = 0;
    int Day = 0;
};

// "YYYY-MM-DD" and nothing else; false for a date that does not exist.
bool ParseIsoDate(std::string_view text, TCalendarDate& date);
std::string IsoDateText(const TCalendarDate& date);

// The UTC date of a SOURCE_DATE_EPOCH value (decimal seconds since 1970); false for a text that
// is not such a number or a date past 9999.
bool EpochDate(std::string_view seconds, TCalendarDate& date);

// Days since 30 December 1899: the number a database key is made from.
int32_t DaySerialOf(const TCalendarDate& date);

} // namespace velk
