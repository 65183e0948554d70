#include "tools/velkpack/PackageDate.h"

#include "platform/DbCipher.h"
#include "platform/StrUtils.h"

namespace velk {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kEpochFromMarch0 = 719468; // days from 1 March of year 0 to 1 January 1970

bool TakeDigits(std::string_view text, size_t at, size_t count, int& value) {
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// The calendar date of a count of days since 1 March of year 0 (proleptic Gregorian).
TCalendarDate CivilFromDays(int64_t days) {
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153; // from March
    TCalendarDate date;
    date.Day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    date.Month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    date.Year = int(yearOfEra + era * 400 + (date.Month <= 2 ? 1 : 0));
    return date;
}

} // namespace

bool ParseIsoDate(std::string_view text, TCalendarDate& date) {
    TCalendarDate parsed;
    int32_t serial;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        !TakeDigits(text, 0, 4, parsed.Year) || !TakeDigits(text, 5, 2, parsed.Month) ||
        !TakeDigits(text, 8, 2, parsed.Day) ||
        !DateToDaySerial(parsed.Year, parsed.Month, parsed.Day, serial))
        return false;
    date = parsed;
    return true;
}

std::string IsoDateText(const TCalendarDate& date) {
    return Format("%04d-%02d-%02d", date.Year, date.Month, date.Day);
}

bool EpochDate(std::string_view seconds, TCalendarDate& date) {
    // Up to 9999-12-31 only, so twelve digits are always enough.
    if (seconds.empty() || seconds.size() > 12)
        return false;
    int64_t value = 0;
    for (char c : seconds) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    TCalendarDate result = CivilFromDays(value / kSecondsPerDay + kEpochFromMarch0);
    if (result.Year > 9999)
        return false;
    date = result;
    return true;
}

int32_t DaySerialOf(const TCalendarDate& date) {
    int32_t serial = 0;
    DateToDaySerial(date.Year, date.Month, date.Day, serial);
    return serial;
}

} // namespace velk
