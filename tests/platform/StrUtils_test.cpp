#include "platform/StrUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

using namespace velk;

namespace {

std::string Printf15g(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

} // namespace

// FloatToStr builds "%.15g" by hand (the Windows C library rounds differently): check it against
// the host's correctly rounded printf over every kind of double.
TEST(FloatToStr, MatchesCorrectlyRoundedPrintfOnRandomBitPatterns) {
    uint64_t state = 12345;
    for (int i = 0; i < 100000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        double value;
        std::memcpy(&value, &state, sizeof value);
        if (!std::isfinite(value))
            continue;
        ASSERT_EQ(FloatToStr(value), Printf15g(value)) << "bits " << state;
    }
}

TEST(FloatToStr, EdgeValues) {
    const double values[] = {0.0,
                             -0.0,
                             1,
                             0.5,
                             1.0 / 3,
                             0.1 + 0.2,
                             1e15,
                             1e14,
                             999999999999999.0,
                             9999999999999999.0,
                             1e-4,
                             1e-5,
                             0.000123456789012345678,
                             2.5,
                             0.125,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             -123456.789};
    for (double value : values)
        EXPECT_EQ(FloatToStr(value), Printf15g(value)) << value;
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(1e20), "1e+20");
    EXPECT_EQ(FloatToStr(3), "3");
}

TEST(IntToStr, WholeRange) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-7), "-7");
    EXPECT_EQ(IntToStr(4294967296LL), "4294967296");
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::max()), "9223372036854775807");
}

TEST(Format, LongResultsAndEmbeddedTexts) {
    std::string long_text(5000, 'x');
    EXPECT_EQ(Format("<%s>", long_text.c_str()), "<" + long_text + ">");
    EXPECT_EQ(Format("%d.%.2d", 4, 1), "4.01");
    EXPECT_EQ(Format("Windows %s %s.%.4d", "XP", "5.01", 2600), "Windows XP 5.01.2600");
    EXPECT_EQ(Format("%s", ""), "");
}

TEST(TryStrToInt, DecimalAndHexadecimal) {
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt("42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(TryStrToInt(" -2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(TryStrToInt("0x10", v));
    EXPECT_EQ(v, 16);
    EXPECT_FALSE(TryStrToInt("2147483648", v));
    EXPECT_FALSE(TryStrToInt("$100000000", v));
    EXPECT_FALSE(TryStrToInt("12a", v));
    EXPECT_FALSE(TryStrToInt("", v));
    EXPECT_FALSE(TryStrToInt("$", v));
    EXPECT_FALSE(TryStrToInt("1 ", v));
    EXPECT_EQ(StrToIntDef("x", 7), 7);
}

TEST(CompareText, IgnoresAsciiCaseOnly) {
    EXPECT_TRUE(SameText("Windows", "WINDOWS"));
    EXPECT_FALSE(SameText("\xE4", "\xC4")); // no case folding beyond ASCII
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_EQ(Trim("\t\r\n x y \x01"), "x y");
}
