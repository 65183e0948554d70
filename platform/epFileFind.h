#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

// Attribute bits of files and search filters.
constexpr int32_t faReadOnly = 1;
constexpr int32_t faHidden = 2;
constexpr int32_t faSysFile = 4;
constexpr int32_t faVolumeID = 8;
constexpr int32_t faDirectory = 16;
constexpr int32_t faArchive = 32;
constexpr int32_t faAnyFile = 63;

// The raw result of the platform search; times are the platform's 100 ns ticks since 1601, UTC.
struct TFindData {
    uint32_t Attributes = 0;
    uint64_t CreationTime = 0;
    uint64_t LastAccessTime = 0;
    uint64_t LastWriteTime = 0;
    uint64_t FileSize = 0;
    std::string FileName;
    std::string AlternateFileName;
};

constexpr intptr_t InvalidFindHandle = -1;

// The state of one search. FindCloseEx must end every search that FindFirstEx started.
struct TSearchRecEx {
    int32_t Time = 0; // last-write time, local, packed DOS date (high word) and time
    int32_t Size = 0; // low 32 bits
    int32_t Attr = 0;
    std::string Path; // folder part of the mask, with its trailing backslash
    std::string Name;
    std::string FullName;
    int32_t IncludeAttr = 0; // at least one of these bits; faAnyFile means any entry
    int32_t ExcludeAttr = 0; // none of these bits
    intptr_t FindHandle = InvalidFindHandle;
    TFindData FindData;
};

// 0 and the first matching entry, or the platform error code with the search closed.
int FindFirstEx(const std::string& mask, int32_t includeAttr, int32_t excludeAttr,
                TSearchRecEx& rec);
// 0 and the next matching entry, or the platform error code (18 when there are no more).
int FindNextEx(TSearchRecEx& rec);
void FindCloseEx(TSearchRecEx& rec);

// Portable pieces of the above.

bool SearchEntryMatches(std::string_view name, int32_t attr, int32_t includeAttr,
                        int32_t excludeAttr);

} // namespace velk
