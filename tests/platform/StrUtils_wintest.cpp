#include "platform/StrUtils.h"

#include <gtest/gtest.h>

#include <limits>

using namespace velk;

// On Windows the formatting goes through the system's C library: the texts must be the same as
// on any other host.
TEST(StrUtilsOnWindows, NumbersFormatAsEverywhere) {
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(FloatToStr(1e20), "1e+20");
    EXPECT_EQ(FloatToStr(-1.5e-7), "-1.5e-07");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
    EXPECT_EQ(FloatToStr(123456789012345678.0), "1.23456789012346e+17");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::max()), "1.79769313486232e+308");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::denorm_min()), "4.94065645841247e-324");
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(Format("%d|%5.2s|%-3d|%x|%.4d", 7, "abc", -1, 255, 42), "7|   ab|-1 |ff|0042");
    std::string long_text(3000, 'y');
    EXPECT_EQ(Format("%s!", long_text.c_str()), long_text + "!");
}

TEST(StrUtilsOnWindows, FloatsParseWithTheSystemLibrary) {
    double v = 0;
    EXPECT_TRUE(TryStrToFloat("2.5", v));
    EXPECT_EQ(v, 2.5);
    EXPECT_TRUE(TryStrToFloat("-1e-3", v));
    EXPECT_EQ(v, -1e-3);
    EXPECT_TRUE(TryStrToFloat("3,25", v, ','));
    EXPECT_EQ(v, 3.25);
    EXPECT_FALSE(TryStrToFloat("1e999", v));
    EXPECT_FALSE(TryStrToFloat("abc", v));
}
