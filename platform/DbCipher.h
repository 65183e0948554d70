#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

// Enciphered install databases: the XML text enciphered as a whole (same length, no header) with
// GOST 28147-89 in CBC mode. The key is the HAVAL-256/5 digest of a key text made of a fixed
// prefix and the day serial of the file's date, so the package builder chooses each database's
// key through the date it records for the file in the cabinet.

// The fixed 10-character start of every key text; the package builder uses the same value.
extern const char DatabaseKeyPrefix[];

// Days since 30 December 1899 of a calendar date (year 1 to 9999); false for a date that does
// not exist.
bool DateToDaySerial(int year, int month, int day, int32_t& serial);

std::string DatabaseKeyText(int32_t daySerial);
std::array<uint8_t, 32> DatabaseKey(int32_t daySerial);

// Exact inverses of each other for every length; a tail of 1 to 7 bytes after the last whole
// block is XORed with the encryption of the chaining value.
std::string DecipherBytes(std::string_view cipherText, int32_t daySerial);
std::string EncipherBytes(std::string_view plainText, int32_t daySerial);

} // namespace velk
