#include "platform/epFileFind.h"

#include <ctime>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace velk {

namespace {

// The error codes Windows gives for these cases, which callers compare against.
constexpr int ErrorFileNotFound = 2;
constexpr int ErrorPathNotFound = 3;
constexpr int ErrorInvalidHandle = 6;
constexpr int ErrorNoMoreFiles = 18;

// What FindHandle points to while a search is open.
struct TSearch {
    DIR* Folder;
    std::string Pattern;
};

int32_t DosDateTime(time_t t) {
    struct tm local;
    if (::localtime_r(&t, &local) == nullptr || local.tm_year < 80 || local.tm_year > 207)
        return 0;
    uint32_t date = uint32_t(local.tm_year - 80) << 9 | uint32_t(local.tm_mon + 1) << 5 |
                    uint32_t(local.tm_mday);
    uint32_t time =
        uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 | uint32_t(local.tm_sec / 2);
    return static_cast<int32_t>(date << 16 | time);
}

// The next entry of the open search that matches its pattern and the record's filters.
int MatchNext(TSearchRecEx& rec) {
    auto* search = reinterpret_cast<TSearch*>(rec.FindHandle);
    while (struct dirent* entry = ::readdir(search->Folder)) {
        if (::fnmatch(search->Pattern.c_str(), entry->d_name, 0) != 0)
            continue;
        std::string full = rec.Path + entry->d_name;
        struct stat st;
        if (::stat(full.c_str(), &st) != 0)
            continue;
        int32_t attr = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
        if ((st.st_mode & S_IWUSR) == 0)
            attr |= faReadOnly;
        if (!SearchEntryMatches(entry->d_name, attr, rec.IncludeAttr, rec.ExcludeAttr))
            continue;
        rec.Time = DosDateTime(st.st_mtime);
        rec.Size = static_cast<int32_t>(st.st_size);
        rec.Attr = attr;
        rec.Name = entry->d_name;
        rec.FullName = full;
        rec.FindData = TFindData();
        rec.FindData.Attributes = uint32_t(attr);
        rec.FindData.FileSize = uint64_t(st.st_size);
        rec.FindData.FileName = entry->d_name;
        return 0;
    }
    return ErrorNoMoreFiles;
}

} // namespace

// The mask's last part may hold the wildcards "*" and "?"; "*.*" stands for every name.
int FindFirstEx(const std::string& mask, int32_t includeAttr, int32_t excludeAttr,
                TSearchRecEx& rec) {
    size_t slash = mask.rfind('/');
    rec.Path = slash == std::string::npos ? std::string() : mask.substr(0, slash + 1);
    rec.IncludeAttr = includeAttr == 0 ? faAnyFile : includeAttr;
    rec.ExcludeAttr = excludeAttr;
    rec.FindHandle = InvalidFindHandle;
    std::string pattern = mask.substr(rec.Path.size());
    if (pattern == "*.*")
        pattern = "*";
    DIR* folder = ::opendir(rec.Path.empty() ? "." : rec.Path.c_str());
    if (folder == nullptr)
        return ErrorPathNotFound;
    rec.FindHandle = reinterpret_cast<intptr_t>(new TSearch{folder, pattern});
    int code = MatchNext(rec);
    if (code != 0) {
        FindCloseEx(rec);
        return ErrorFileNotFound;
    }
    return 0;
}

int FindNextEx(TSearchRecEx& rec) {
    if (rec.FindHandle == InvalidFindHandle)
        return ErrorInvalidHandle;
    return MatchNext(rec);
}

void FindCloseEx(TSearchRecEx& rec) {
    if (rec.FindHandle == InvalidFindHandle)
        return;
    auto* search = reinterpret_cast<TSearch*>(rec.FindHandle);
    ::closedir(search->Folder);
    delete search;
    rec.FindHandle = InvalidFindHandle;
}

} // namespace velk
