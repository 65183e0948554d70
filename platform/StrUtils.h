#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

// Texts are 8-bit in the system code page; names compare without regard to ASCII case.

char UpCase(char c);
char LowCase(char c);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// <0, 0 or >0, comparing ASCII letters without regard to case.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// Characters with codes up to 32 are removed.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// printf-style formatting into a string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

std::string IntToStr(int64_t value);

// The standard string-to-integer conversion: optional leading blanks and sign, decimal digits,
// or hexadecimal after "$" or "0x"; the whole rest of the text must be digits. 32-bit: hexadecimal
// values up to FFFFFFFF wrap to negative numbers, decimal values out of range fail.
bool TryStrToInt(std::string_view s, int32_t& value);
int32_t StrToIntDef(std::string_view s, int32_t def);

// The text without one pair of double quotes around it; unchanged when it is not enclosed in them.
std::string UnquoteText(std::string_view s);

// Decimal floating-point text with "." as separator and an optional exponent, blanks allowed
// around it; no hexadecimal, infinity or NaN forms, and values beyond the double range fail.
bool TryStrToFloat(std::string_view s, double& value);
// General format with up to 15 significant digits ("0.1", "1e+20").
std::string FloatToStr(double value);
// The same with another decimal separator (the user's, on Windows) in place of ".".
bool TryStrToFloat(std::string_view s, double& value, char decimalSeparator);
std::string FloatToStr(double value, char decimalSeparator);

// The ANSI case rule of the Windows-1252 code page: ASCII letters and the accented Latin letters
// (0xE0-0xFE except 0xF7, and 0x9A, 0x9C, 0x9E, 0xFF) fold to their capitals.
char AnsiUpCase(char c);
std::string AnsiUpperCase(std::string_view s);
bool AnsiSameText(std::string_view a, std::string_view b);

// Little-endian integers in byte buffers: every binary format the system reads or writes uses them.
inline uint16_t GetLE16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t GetLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void PutLE16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

} // namespace velk
