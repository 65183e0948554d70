#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

class TvkComponent;
class TvkFile;
class TvkMainDatabase;
class TXMLObject;

// How cabinet entries find their file items and destinations. Entry names come from the package
// and are not trusted: a name that would climb out of its component's folder matches nothing.

bool HasWildcards(std::string_view text);
// "*" any run of characters, "?" any one; letters compared without regard to case.
bool MatchesWildcard(std::string_view pattern, std::string_view name);
// A relative path without "." or ".." parts, drive, root, empty parts or control characters.
bool IsPlainRelativePath(std::string_view path);

struct TCabinetItem {
    TvkComponent* Component = nullptr;
    TvkFile* File = nullptr;
    // The entry below "files\{ID}\".
    std::string Rest;
};

// The active, added, non-external file item of a taken component whose Src matches the entry
// ("files\{ID}\path"); File is null when there is none.
TCabinetItem FindCabinetItem(const TvkMainDatabase& db, std::string_view entryName);

// What the texts of a component's items are expanded against: its package, whose variables come
// before the main database's, or the main database when the package is gone.
TXMLObject* ItemScope(TvkMainDatabase& db, const TvkComponent& component);

// Where a file goes: for a Src with wildcards the folder of the expanded Dst followed by the part
// of the entry below Src's folder, so subfolders are kept; otherwise the expanded Dst.
std::string FileDestination(std::string_view src, const std::string& expandedDst,
                            std::string_view rest);

// The packed DOS date (high word) and time of a local date and time; 0 outside 1980-2107.
int32_t DosDateTime(double dateTime);

// done of total in whole percent, rounded; 100 for an empty file, 0 for an empty total.
int32_t FilePercent(int64_t done, int64_t total);
int32_t OverallPercent(int64_t done, int64_t total);

} // namespace velk
