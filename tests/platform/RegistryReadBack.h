#pragma once

// The values that RegistryReadBack_writer (a Windows program, run under Wine) writes through the
// registry helpers, and what RegistryReadBack_hostcheck (a Linux program, run afterwards) must
// find of them in the prefix's user.reg once Wine has saved the registry. What is expected is
// written out here byte by byte, not derived from what is written.

#include <cstdint>
#include <string_view>

namespace velk::test {

using namespace std::string_view_literals;

// Under HKEY_CURRENT_USER, which user.reg holds.
constexpr std::string_view ReadBackKey = "Software\\VelkReadBack";

enum class TReadBackWrite {
    String,    // WriteRegString(Input)
    Integer,   // WriteRegInteger(Number)
    BinaryHex, // WriteRegBinaryHex(Input)
    Binary,    // WriteRegBinary(Input's bytes)
    Value,     // WriteRegValue(InputType, Input's bytes)
};

struct TReadBackCase {
    std::string_view Key; // below ReadBackKey; empty for ReadBackKey itself
    std::string_view Name;
    TReadBackWrite How;
    std::string_view Input;
    int32_t Number;
    uint32_t InputType;
    // Expected type and data. The data of the string types (1, 2, 7) is the narrow text as the
    // registry stores it after a narrow call, each character widened to UTF-16.
    uint32_t Type;
    std::string_view Stored;
};

using W = TReadBackWrite;
constexpr TReadBackCase ReadBackCases[] = {
    {"", "Sz", W::String, "plain text", 0, 0, 1, "plain text\0"sv},
    {"", "Empty", W::String, "", 0, 0, 1, "\0"sv},
    {"", "", W::String, "default value", 0, 0, 1, "default value\0"sv},
    {"", "Name \"with\" \\ quotes", W::String, "named", 0, 0, 1, "named\0"sv},
    {"", "Escapes", W::String,
     "back\\slash \"quoted\" tab\t cr\r lf\n bell\a esc\033 one\0017 del\177", 0, 0, 1,
     "back\\slash \"quoted\" tab\t cr\r lf\n bell\a esc\033 one\0017 del\177\0"sv},
    {"", "Expand", W::Value, "%WINDIR%\\x\0"sv, 0, 2, 2, "%WINDIR%\\x\0"sv},
    {"", "Multi", W::Value, "a\0b\0\0"sv, 0, 7, 7, "a\0b\0\0"sv},
    // The narrow call stores the terminating zero the string lacked (measured under Wine 8).
    {"", "NoZero", W::Value, "xy", 0, 1, 1, "xy\0"sv},
    // A DWORD of three bytes is no DWORD to the file: it is saved as hex(4).
    {"", "ShortDword", W::Value, "\x01\x02\x03", 0, 4, 4, "\x01\x02\x03"},
    {"", "Dword", W::Integer, "", -1, 0, 4, "\xff\xff\xff\xff"},
    {"", "Answer", W::Integer, "", 42, 0, 4, "\x2a\0\0\0"sv},
    {"", "Bin", W::BinaryHex, "01 ab F", 0, 0, 3, "\x01\xab"},
    {"", "EmptyBin", W::Binary, "", 0, 0, 3, ""},
    // Longer than one line of the file: the bytes go on over continuation lines.
    {"", "LongBin", W::Binary,
     "The quick brown fox jumps over the lazy dog, then naps in the warm afternoon sun.", 0, 0, 3,
     "The quick brown fox jumps over the lazy dog, then naps in the warm afternoon sun."},
    {"Sub [1]\\Deeper", "Nested", W::String, "deep", 0, 0, 1, "deep\0"sv},
};

// Written and then deleted again: neither may be in the file.
constexpr std::string_view ReadBackDeletedValue = "Deleted";
constexpr std::string_view ReadBackDeletedKey = "Gone";

} // namespace velk::test
