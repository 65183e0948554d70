#include "platform/epDateTime.h"

#include <cmath>
#include <cstdint>

#include "platform/StrUtils.h"

namespace velk {

namespace {

constexpr int64_t MSecsPerDay = 86400000;

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Day number of a Gregorian date, counted from 1 March of year 0.
int64_t DayNumber(int year, int month, int day) {
    int64_t y = year - (month <= 2 ? 1 : 0);
    int64_t m = month <= 2 ? month + 9 : month - 3;
    return 365 * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + day - 1;
}

const int64_t Epoch = DayNumber(1899, 12, 30);

// The text being read as a date and time, with a cursor.
class TDateScanner {
public:
    explicit TDateScanner(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    bool Take(char c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // Up to four decimal digits; digits gives how many were read.
    bool Number(int& value, int& digits) {
        SkipBlanks();
        value = 0;
        digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            if (++digits > 4)
                return false;
            value = value * 10 + (text_[pos_++] - '0');
        }
        return digits > 0;
    }
    // "AM" or "PM" in any case: 0 for neither, 1 AM, 2 PM.
    int Meridiem() {
        SkipBlanks();
        if (text_.size() - pos_ < 2 || UpCase(text_[pos_ + 1]) != 'M')
            return 0;
        char c = UpCase(text_[pos_]);
        if (c != 'A' && c != 'P')
            return 0;
        pos_ += 2;
        return c == 'A' ? 1 : 2;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool ScanDate(TDateScanner& s, int currentYear, TLocalTime& t) {
    int digits = 0;
    if (!s.Number(t.Month, digits) || !s.Take('/') || !s.Number(t.Day, digits))
        return false;
    if (!s.Take('/')) {
        t.Year = currentYear;
        return true;
    }
    if (!s.Number(t.Year, digits))
        return false;
    if (digits <= 2) {
        int base = currentYear - 50;
        t.Year += base / 100 * 100;
        if (t.Year < base)
            t.Year += 100;
    }
    return true;
}

bool ScanTime(TDateScanner& s, TLocalTime& t) {
    int digits = 0;
    if (!s.Number(t.Hour, digits) || !s.Take(':') || !s.Number(t.Minute, digits))
        return false;
    if (s.Take(':') && !s.Number(t.Second, digits))
        return false;
    int meridiem = s.Meridiem();
    if (meridiem != 0) {
        if (t.Hour < 1 || t.Hour > 12)
            return false;
        t.Hour = t.Hour % 12 + (meridiem == 2 ? 12 : 0);
    }
    return true;
}

} // namespace

bool TryEncodeDateTime(const TLocalTime& t, TDateTime& value) {
    if (t.Year < 1 || t.Year > 9999 || t.Month < 1 || t.Month > 12 || t.Day < 1 ||
        t.Day > DaysInMonth(t.Year, t.Month) || t.Hour < 0 || t.Hour > 23 || t.Minute < 0 ||
        t.Minute > 59 || t.Second < 0 || t.Second > 59 || t.Milliseconds < 0 ||
        t.Milliseconds > 999)
        return false;
    int64_t ms = ((int64_t(t.Hour) * 60 + t.Minute) * 60 + t.Second) * 1000 + t.Milliseconds;
    value = double(DayNumber(t.Year, t.Month, t.Day) - Epoch) + double(ms) / double(MSecsPerDay);
    return true;
}

TLocalTime DecodeDateTime(TDateTime value) {
    double days = std::floor(value);
    int64_t ms = std::llround((value - days) * double(MSecsPerDay));
    if (ms >= MSecsPerDay) {
        days += 1;
        ms -= MSecsPerDay;
    }
    // Civil date from a day number counted from 1 March of year 0.
    int64_t n = int64_t(days) + Epoch;
    int64_t era = (n >= 0 ? n : n - 146096) / 146097;
    int64_t dayOfEra = n - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t mp = (5 * dayOfYear + 2) / 153;
    TLocalTime t;
    t.Day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    t.Month = int(mp < 10 ? mp + 3 : mp - 9);
    t.Year = int(yearOfEra + era * 400 + (t.Month <= 2 ? 1 : 0));
    t.Hour = int(ms / 3600000);
    t.Minute = int(ms / 60000 % 60);
    t.Second = int(ms / 1000 % 60);
    t.Milliseconds = int(ms % 1000);
    return t;
}

bool TryStrToDateTimeMDY(std::string_view text, int currentYear, TDateTime& value) {
    TDateScanner s(text);
    TLocalTime t;
    bool ok = ScanDate(s, currentYear, t);
    s.SkipBlanks();
    if (ok && !s.AtEnd())
        ok = ScanTime(s, t);
    s.SkipBlanks();
    return ok && s.AtEnd() && TryEncodeDateTime(t, value);
}

} // namespace velk
