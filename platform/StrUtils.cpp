#include "platform/StrUtils.h"

#include "platform/CRuntime.h"
#include "platform/DecimalDigits.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace velk {

char UpCase(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

char LowCase(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = UpCase(c);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = LowCase(c);
    return r;
}

int CompareText(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int d = int(static_cast<unsigned char>(UpCase(a[i]))) -
                int(static_cast<unsigned char>(UpCase(b[i])));
        if (d != 0)
            return d;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

static bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = FormattedLength(format, copy);
    va_end(copy);
    std::string r;
    if (n > 0) {
        r.resize(size_t(n) + 1);
        FormatInto(&r[0], r.size(), format, args);
        r.resize(size_t(n));
    }
    va_end(args);
    return r;
}

std::string IntToStr(int64_t value) {
    // By hand: the system's C library has no %lld.
    char digits[24];
    size_t i = sizeof digits;
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[--i] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[--i] = '-';
    return std::string(digits + i, sizeof digits - i);
}

bool TryStrToInt(std::string_view s, int32_t& value) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size())
        return false;
    uint64_t acc = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            return false;
        acc = acc * (hex ? 16 : 10) + digit;
        if (acc > 0xFFFFFFFFull)
            return false;
    }
    if (hex) {
        uint32_t bits = static_cast<uint32_t>(acc);
        if (negative)
            bits = 0u - bits;
        value = static_cast<int32_t>(bits);
        return true;
    }
    if (negative ? acc > 0x80000000ull : acc > 0x7FFFFFFFull)
        return false;
    value = negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(acc))
                     : static_cast<int32_t>(acc);
    return true;
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
    int32_t v;
    return TryStrToInt(s, v) ? v : def;
}

std::string UnquoteText(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return std::string(s);
}

static bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool TryStrToFloat(std::string_view s, double& value, char decimalSeparator) {
    std::string_view t = s;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        ++i;
    size_t digits = 0;
    for (; i < t.size() && IsDigit(t[i]); ++i)
        ++digits;
    if (i < t.size() && t[i] == decimalSeparator)
        for (++i; i < t.size() && IsDigit(t[i]); ++i)
            ++digits;
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '-' || t[i] == '+'))
            ++i;
        if (i >= t.size() || !IsDigit(t[i]))
            return false;
        while (i < t.size() && IsDigit(t[i]))
            ++i;
    }
    if (i != t.size())
        return false;
    std::string number(t);
    if (decimalSeparator != '.')
        for (char& c : number)
            if (c == decimalSeparator)
                c = '.';
    double v = ParseDouble(number.c_str(), nullptr);
    if (std::isinf(v))
        return false;
    value = v;
    return true;
}

bool TryStrToFloat(std::string_view s, double& value) {
    return TryStrToFloat(s, value, '.');
}

std::string FloatToStr(double value) {
    // The text of "%.15g", built by hand so that both C libraries give the same text.
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    std::string sign = std::signbit(value) ? "-" : "";
    int exponent = 0;
    std::string digits = DecimalDigits(value, 15, exponent);
    if (exponent < -4 || exponent >= 15) {
        std::string r = sign + digits.substr(0, 1);
        if (digits.size() > 1)
            r += "." + digits.substr(1);
        int magnitude = exponent < 0 ? -exponent : exponent;
        return r + (exponent < 0 ? "e-" : "e+") + (magnitude < 10 ? "0" : "") + IntToStr(magnitude);
    }
    if (exponent < 0)
        return sign + "0." + std::string(size_t(-exponent - 1), '0') + digits;
    if (digits.size() <= size_t(exponent) + 1)
        return sign + digits + std::string(size_t(exponent) + 1 - digits.size(), '0');
    return sign + digits.substr(0, size_t(exponent) + 1) + "." +
           digits.substr(size_t(exponent) + 1);
}

std::string FloatToStr(double value, char decimalSeparator) {
    std::string r = FloatToStr(value);
    if (decimalSeparator != '.')
        for (char& c : r)
            if (c == '.')
                c = decimalSeparator;
    return r;
}

namespace {

// Lookups of INI sections and keys fold every character, so the rule is a table.
struct TAnsiUpperTable {
    char Map[256];
    constexpr TAnsiUpperTable() : Map() {
        for (int i = 0; i < 256; ++i) {
            int upper = i;
            if ((i >= 'a' && i <= 'z') || (i >= 0xE0 && i <= 0xFE && i != 0xF7))
                upper = i - 32;
            else if (i == 0x9A || i == 0x9C || i == 0x9E)
                upper = i - 16;
            else if (i == 0xFF)
                upper = 0x9F;
            Map[i] = static_cast<char>(upper);
        }
    }
};
constexpr TAnsiUpperTable AnsiUpper;

} // namespace

char AnsiUpCase(char c) {
    return AnsiUpper.Map[static_cast<unsigned char>(c)];
}

std::string AnsiUpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = AnsiUpCase(c);
    return r;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && AnsiUpCase(a[i]) != AnsiUpCase(b[i]))
            return false;
    return true;
}

} // namespace velk
