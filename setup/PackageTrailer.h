#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace velk {

// A package file is a program image (or nothing), a cabinet, and an 18-byte trailer: three
// 32-bit little-endian sizes and the marker "VKPEND". Bytes appended after the trailer (a
// signature, say) are tolerated when they fit in the search window.
struct TPackageTrailer {
    uint32_t PackageSize = 0;  // the whole file as built, trailer included
    uint32_t PresetupSize = 0; // unpacked size of the cabinet files outside the folder "files"
    uint32_t FilesSize = 0;    // unpacked size of the cabinet files inside it
};

constexpr size_t PackageTrailerSize = 18;
constexpr char PackageTrailerMarker[] = "VKPEND"; // stored without terminator
// The trailer is searched for in this many bytes at the end of the file.
constexpr size_t TrailerSearchSize = 65536;
// The cabinet's header must begin before this offset, so the program image stays below it.
constexpr size_t CabinetSearchLimit = 262128;
// Bytes from the start of the file that hold every possible place of the cabinet's signature.
constexpr size_t CabinetSearchBytes = CabinetSearchLimit + 7;

void EncodePackageTrailer(const TPackageTrailer& trailer, uint8_t out[PackageTrailerSize]);
// False when the bytes do not end with the marker (exact upper-case bytes).
bool DecodePackageTrailer(const uint8_t in[PackageTrailerSize], TPackageTrailer& trailer);

// Reads exactly `size` bytes at `offset` of the package file; false when it cannot.
using TPackageReader = std::function<bool(uint64_t offset, uint8_t* buffer, size_t size)>;

struct TTrailerSearch {
    bool Found = false;       // a marker with a trailer in front of it
    bool SizeMatches = false; // and the file has the size the trailer records, plus Appended
    TPackageTrailer Trailer;
    uint64_t Appended = 0; // bytes after the trailer
};

// Looks for the trailer in the last 64 KB of a file of `fileSize` bytes. A marker whose trailer
// does not record the file's size is passed over when a later one does, so that package data
// which happens to hold the marker does not hide the real trailer; when none fits, the result
// describes the first marker found.
TTrailerSearch FindPackageTrailer(uint64_t fileSize, const TPackageReader& read);

// Offset of the cabinet in the first bytes of a package file (up to CabinetSearchBytes of them):
// the first place before CabinetSearchLimit where "MSCF" and four zero bytes begin; -1 for none.
int64_t FindCabinetStart(const uint8_t* head, size_t size);

} // namespace velk
