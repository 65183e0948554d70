#include "platform/epDateTime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace velk {
namespace {

TDateTime Encode(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    TDateTime value = -1e9;
    EXPECT_TRUE(TryEncodeDateTime(TLocalTime{y, mo, d, h, mi, s, ms}, value));
    return value;
}

std::string Text(const TLocalTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.Year, t.Month,
                  t.Day, t.Hour, t.Minute, t.Second, t.Milliseconds);
    return buffer;
}

TEST(DateTime, KnownDays) {
    EXPECT_EQ(Encode(1899, 12, 30), 0);
    EXPECT_EQ(Encode(1899, 12, 31), 1);
    EXPECT_EQ(Encode(1900, 1, 1), 2);
    EXPECT_EQ(Encode(1900, 3, 1), 61);
    EXPECT_EQ(Encode(2000, 1, 1), 36526);
    EXPECT_EQ(Encode(1899, 12, 29), -1);
    EXPECT_EQ(Encode(1, 1, 1), -693593);
    EXPECT_EQ(Encode(9999, 12, 31), 2958465);
    EXPECT_DOUBLE_EQ(Encode(1899, 12, 30, 12), 0.5);
    EXPECT_DOUBLE_EQ(Encode(1899, 12, 29, 6), -0.75);
}

TEST(DateTime, InvalidMomentsAreRefused) {
    const TLocalTime invalid[] = {
        {2021, 2, 29, 0, 0, 0, 0}, {2100, 2, 29, 0, 0, 0, 0}, {2021, 4, 31, 0, 0, 0, 0},
        {2021, 13, 1, 0, 0, 0, 0}, {2021, 0, 1, 0, 0, 0, 0},  {2021, 1, 0, 0, 0, 0, 0},
        {0, 1, 1, 0, 0, 0, 0},     {10000, 1, 1, 0, 0, 0, 0}, {2021, 1, 1, 24, 0, 0, 0},
        {2021, 1, 1, 0, 60, 0, 0}, {2021, 1, 1, 0, 0, 60, 0}, {2021, 1, 1, 0, 0, 0, 1000},
        {2021, 1, 1, -1, 0, 0, 0},
    };
    for (const TLocalTime& t : invalid) {
        TDateTime value = 7;
        EXPECT_FALSE(TryEncodeDateTime(t, value)) << Text(t);
        EXPECT_EQ(value, 7);
    }
    TDateTime value = 0;
    EXPECT_TRUE(TryEncodeDateTime(TLocalTime{2000, 2, 29, 0, 0, 0, 0}, value));
}

TEST(DateTime, DecodeInvertsEncode) {
    const TLocalTime moments[] = {
        {1899, 12, 30, 0, 0, 0, 0},      {1899, 12, 29, 23, 59, 59, 999},
        {1, 1, 1, 0, 0, 0, 0},           {1600, 2, 29, 12, 30, 15, 500},
        {1980, 1, 1, 0, 0, 2, 0},        {2000, 2, 29, 23, 59, 58, 0},
        {2021, 3, 7, 9, 5, 42, 0},       {2107, 12, 31, 23, 59, 58, 0},
        {9999, 12, 31, 23, 59, 59, 999},
    };
    for (const TLocalTime& t : moments)
        EXPECT_EQ(Text(DecodeDateTime(
                      Encode(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second, t.Milliseconds))),
                  Text(t));
    for (int day = -693593; day <= 2958465; day += 997) {
        TLocalTime t = DecodeDateTime(day);
        EXPECT_EQ(Encode(t.Year, t.Month, t.Day), day) << day;
    }
    // A fraction that rounds up to a whole day moves to the next midnight.
    EXPECT_EQ(Text(DecodeDateTime(1 - 1e-10)), "1899-12-31 00:00:00.000");
}

TEST(DateTime, MonthDayYearText) {
    const struct {
        const char* Text;
        const char* Moment;
    } cases[] = {
        {"12/31/2020", "2020-12-31 00:00:00.000"},
        {"1/2/2021", "2021-01-02 00:00:00.000"},
        {" 01 / 02 / 2021 ", "2021-01-02 00:00:00.000"},
        {"1/2", "2025-01-02 00:00:00.000"},
        {"1/2/21", "2021-01-02 00:00:00.000"},
        {"1/2/75", "1975-01-02 00:00:00.000"},
        {"1/2/74", "2074-01-02 00:00:00.000"},
        {"1/2/021", "0021-01-02 00:00:00.000"},
        {"03/07/2021 09:05:42", "2021-03-07 09:05:42.000"},
        {"3/7/2021 9:5", "2021-03-07 09:05:00.000"},
        {"3/7/2021 12:00 am", "2021-03-07 00:00:00.000"},
        {"3/7/2021 12:30:01 PM", "2021-03-07 12:30:01.000"},
        {"3/7/2021 11:59pm", "2021-03-07 23:59:00.000"},
        {"3/7 10:00", "2025-03-07 10:00:00.000"},
    };
    for (const auto& c : cases) {
        TDateTime value = 0;
        EXPECT_TRUE(TryStrToDateTimeMDY(c.Text, 2025, value)) << c.Text;
        EXPECT_EQ(Text(DecodeDateTime(value)), c.Moment) << c.Text;
    }

    const char* const invalid[] = {"",
                                   "  ",
                                   "1",
                                   "1/",
                                   "1/2/",
                                   "1/2/2021/3",
                                   "2021-01-02",
                                   "31/12/2020",
                                   "2/30/2020",
                                   "1/1/2021 10",
                                   "1/1/2021 10:",
                                   "1/1/2021 10:00:",
                                   "1/1/2021 0:00 AM",
                                   "1/1/2021 13:00 PM",
                                   "1/1/2021 10:00 XM",
                                   "1/1/2021 10:00:00 junk",
                                   "1/1/10000",
                                   "01.01.2021",
                                   "1/1/-2021"};
    for (const char* text : invalid) {
        TDateTime value = 7;
        EXPECT_FALSE(TryStrToDateTimeMDY(text, 2025, value)) << text;
    }
}

} // namespace
} // namespace velk
