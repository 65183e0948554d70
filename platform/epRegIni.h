#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/epIniFile.h"

namespace velk {

// ---- INI files by name, through a process-wide cache ----------------------------------------
//
// One parsed file per name, keyed by the name in ANSI upper case exactly as given (no path
// expansion), kept until it is dropped or the cache is flushed; nothing reaches the disk before
// then. Raises EInOutError when a file exists but cannot be opened or read.

// Parse options of the files the cache creates, read each time it creates one.
extern bool IniSkipComments;
extern bool IniKeyLinesOnly;
extern bool IniTrimSpaces;
extern bool IniStripQuotes;

// The cached object; a writable request replaces a read-only one, reloading it from disk. A file
// that does not exist yet is created under the upper-cased name when first written back.
TepIniFile* GetIniFile(const std::string& FileName, bool ReadOnly);
// Frees the cached object, writing its pending changes.
void DropIniFile(const std::string& FileName);
// Frees every cached object, writing pending changes; also done when the program ends. The
// names of the files whose changes could not be written, and are lost.
std::vector<std::string> FlushIniFiles();

std::string IniReadString(const std::string& FileName, std::string_view Section,
                          std::string_view Ident, const std::string& Default);
int32_t IniReadInteger(const std::string& FileName, std::string_view Section,
                       std::string_view Ident, int32_t Default);
void IniReadSections(const std::string& FileName, std::vector<std::string>& Strings);
void IniReadSection(const std::string& FileName, std::string_view Section,
                    std::vector<std::string>& Strings);
void IniReadSectionValues(const std::string& FileName, std::string_view Section,
                          std::vector<std::string>& Strings);
// Whether the entry is in the file, on disk or among the cached changes.
bool IniValueExists(const std::string& FileName, std::string_view Section, std::string_view Ident);
// Empty Section, Ident and Value write that one file to disk.
bool IniWriteString(const std::string& FileName, std::string_view Section, std::string_view Ident,
                    std::string_view Value);
void IniWriteSectionValues(const std::string& FileName, std::string_view Section,
                           const std::vector<std::string>& Strings);

// ---- Registry by key path --------------------------------------------------------------------
//
// A key path is "HKCR", "HKCU", "HKLM" or "HKU", a backslash and the subkey; any other first part
// makes the whole path a subkey of HKEY_CURRENT_USER. Every function opens the key, does one
// thing and closes it again; failures show only in the results, nothing raises.

enum class TRegRoot : uint8_t { ClassesRoot, CurrentUser, LocalMachine, Users };

struct TRegPath {
    TRegRoot Root = TRegRoot::CurrentUser;
    std::string SubKey; // empty: the root key itself
};

// Value types as the registry numbers them.
constexpr uint32_t RegTypeNone = 0;
constexpr uint32_t RegTypeSz = 1;
constexpr uint32_t RegTypeExpandSz = 2;
constexpr uint32_t RegTypeBinary = 3;
constexpr uint32_t RegTypeDWord = 4;
constexpr uint32_t RegTypeMultiSz = 7;

// One trailing backslash is ignored.
TRegPath ParseRegPath(std::string_view Path);

// 0 when the key cannot be opened or the value does not exist.
uint32_t GetRegValueType(const std::string& Path, const std::string& Name);
// One query of the value's data into Buffer (Size: its capacity in, the data size out); with no
// Buffer only the size.
bool QueryRegValue(const std::string& Path, const std::string& Name, void* Buffer, uint32_t& Size);
// The value as text: strings as stored (up to 4095 characters), a DWORD as signed decimal,
// binary data as upper-case hexadecimal; Default for anything else or on failure.
std::string ReadRegString(const std::string& Path, const std::string& Name,
                          const std::string& Default);
// The first 4 bytes of the data whatever the type (missing bytes are 0); Default when the data
// is longer or the query fails.
int32_t ReadRegInteger(const std::string& Path, const std::string& Name, int32_t Default);
bool ReadRegBinary(const std::string& Path, const std::string& Name, std::vector<uint8_t>& Data);
std::string ReadRegBinaryHex(const std::string& Path, const std::string& Name,
                             const std::string& Default);
// Replaces Strings with the names of the direct subkeys.
void EnumRegKeys(const std::string& Path, std::vector<std::string>& Strings);

// Creates the key path as needed and sets the value.
bool WriteRegValue(const std::string& Path, const std::string& Name, uint32_t Type, uint32_t Size,
                   const void* Data);
bool WriteRegString(const std::string& Path, const std::string& Name, std::string_view Text);
bool WriteRegInteger(const std::string& Path, const std::string& Name, int32_t Value);
bool WriteRegBinary(const std::string& Path, const std::string& Name, const void* Data,
                    uint32_t Size);
// Pairs of hexadecimal digits, blanks ignored; see HexToBinary.
bool WriteRegBinaryHex(const std::string& Path, const std::string& Name, std::string_view Hex);

bool RegKeyExists(const std::string& Path);
bool RegValueExists(const std::string& Path, const std::string& Name);
bool DeleteRegValue(const std::string& Path, const std::string& Name);
// With Recursive the subkeys go first (their failures ignored); the result is that of deleting
// the key itself. A path that names a root key is refused.
bool DeleteRegKey(const std::string& Path, bool Recursive);
// The key exists and holds neither subkeys nor values (its default value counts as a value).
bool RegKeyIsEmpty(const std::string& Path);
// Prefix followed by a random decimal number, chosen so that no such value exists in the key.
std::string MakeUniqueRegValueName(const std::string& Path, std::string_view Prefix);

// Portable pieces of the above.

// Decimal text up to 4294967295 (taken modulo 2^32, so that one gives -1), or anything the
// standard conversion reads; Default otherwise.
int32_t StrToDWordDef(std::string_view Text, int32_t Default);
// Two upper-case hexadecimal digits per byte, no separators.
std::string BinaryToHex(const uint8_t* Data, size_t Size);
// Blanks are removed; each pair of characters gives one byte (0 for a pair that is not
// hexadecimal); an odd last character is ignored.
std::vector<uint8_t> HexToBinary(std::string_view Hex);

} // namespace velk
