#pragma once

// Wine's registry as it saves it in the prefix ("user.reg", "system.reg"), read on the Linux
// side so that tests can check what a Windows program left in the registry without asking Wine.
//
// The text format ("WINE REGISTRY Version 2"): a header line, comments (";"), options ("#arch=",
// and "#time=", "#class=", "#link" after a key), then keys and their values:
//
//   [Software\\Key\\Sub] 1796707347          key path relative to the branch, save time
//   "Name"="text"                            REG_SZ
//   @="text"                                 the key's default value
//   "Name"=str(2):"%WINDIR%\\x"              REG_EXPAND_SZ (str(7): REG_MULTI_SZ, "\0" inside)
//   "Name"=dword:0000002a                    REG_DWORD
//   "Name"=hex:01,ab,\                       REG_BINARY; a backslash at the end of a line goes
//     ff                                     on with the next one; hex(N): any other type
//
// Names, key paths and strings escape "\\", the delimiting character, "\"" and control
// characters as in C ("\n", "\0", "\033"), and every character above 127 as "\x" with up to four
// hexadecimal digits (UTF-16 code units).

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velk::test {

// One value as the registry holds it: strings as UTF-16LE code units with the terminating zero
// they were stored with, a DWORD as four little-endian bytes.
struct TWineRegValue {
    uint32_t Type = 0;
    std::vector<uint8_t> Data;
};

class TWineRegistryFile {
public:
    // False, with the line number and what was wrong in error, when the text is not in the
    // format; nothing is kept then.
    bool Parse(std::string_view text, std::string& error);
    bool Load(const std::string& fileName, std::string& error);

    // Paths are relative to the branch, levels separated by one backslash ("Software\\Key");
    // names and paths compare without regard to ASCII case. Characters above 127 are in UTF-8.
    // Wine saves a key under its own heading when it has values or no subkeys; a key that only
    // leads to others shows in their paths alone and is not found here.
    bool HasKey(std::string_view path) const;
    // Null when the key or the value is missing; an empty name is the key's default value.
    const TWineRegValue* Find(std::string_view path, std::string_view name) const;
    // The names of the key's values in the file's order; empty when the key is missing.
    std::vector<std::string> ValueNames(std::string_view path) const;

private:
    struct TKey {
        std::vector<std::string> Order;
        std::map<std::string, TWineRegValue> Values; // by upper-cased name
    };
    std::map<std::string, TKey> keys_; // by upper-cased path
};

// The bytes of a narrow string as the registry stores it after a narrow ("A") call: every
// character widened to one UTF-16 code unit, which is what every code page does to ASCII.
std::vector<uint8_t> WidenedBytes(std::string_view narrow);

} // namespace velk::test
