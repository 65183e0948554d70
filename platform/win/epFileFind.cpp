#include "platform/epFileFind.h"

#include "platform/epFileUtils.h"
#include "platform/win/WindowsSupport.h"
#include "platform/win/epFileFindApi.h"

namespace velk {

TFileFindApi FileFindApi;

namespace {

uint64_t Ticks(const FILETIME& t) {
    return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

int LastErrorCode() {
    DWORD code = ::GetLastError();
    return code != 0 ? static_cast<int>(code) : ERROR_GEN_FAILURE;
}

int32_t LocalDosTime(const FILETIME& written) {
    FILETIME local;
    WORD date, time;
    if (!FileFindApi.FileTimeToLocalFileTime(&written, &local) ||
        !FileFindApi.FileTimeToDosDateTime(&local, &date, &time))
        return 0;
    return static_cast<int32_t>((uint32_t(date) << 16) | time);
}

void Fill(TSearchRecEx& rec, const WIN32_FIND_DATAA& data) {
    rec.Time = LocalDosTime(data.ftLastWriteTime);
    rec.Size = static_cast<int32_t>(data.nFileSizeLow);
    rec.Attr = static_cast<int32_t>(data.dwFileAttributes);
    rec.Name = data.cFileName;
    rec.FullName = rec.Path + rec.Name;
    rec.FindData.Attributes = data.dwFileAttributes;
    rec.FindData.CreationTime = Ticks(data.ftCreationTime);
    rec.FindData.LastAccessTime = Ticks(data.ftLastAccessTime);
    rec.FindData.LastWriteTime = Ticks(data.ftLastWriteTime);
    rec.FindData.FileSize = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    rec.FindData.FileName = data.cFileName;
    rec.FindData.AlternateFileName = data.cAlternateFileName;
}

// From the entry in data on, the first one that matches the record's filters.
int MatchFrom(TSearchRecEx& rec, WIN32_FIND_DATAA& data) {
    HANDLE handle = reinterpret_cast<HANDLE>(rec.FindHandle);
    while (!SearchEntryMatches(data.cFileName, static_cast<int32_t>(data.dwFileAttributes),
                               rec.IncludeAttr, rec.ExcludeAttr)) {
        if (!FileFindApi.FindNextFileA(handle, &data))
            return LastErrorCode();
    }
    Fill(rec, data);
    return 0;
}

} // namespace

int FindFirstEx(const std::string& mask, int32_t includeAttr, int32_t excludeAttr,
                TSearchRecEx& rec) {
    rec.Path = ExtractFilePath(mask);
    rec.IncludeAttr = includeAttr == 0 ? faAnyFile : includeAttr;
    rec.ExcludeAttr = excludeAttr;
    WIN32_FIND_DATAA data;
    HANDLE handle = FileFindApi.FindFirstFileA(mask.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) {
        rec.FindHandle = InvalidFindHandle;
        return LastErrorCode();
    }
    rec.FindHandle = reinterpret_cast<intptr_t>(handle);
    int code = MatchFrom(rec, data);
    if (code != 0)
        FindCloseEx(rec);
    return code;
}

int FindNextEx(TSearchRecEx& rec) {
    if (rec.FindHandle == InvalidFindHandle)
        return ERROR_INVALID_HANDLE;
    WIN32_FIND_DATAA data;
    if (!FileFindApi.FindNextFileA(reinterpret_cast<HANDLE>(rec.FindHandle), &data))
        return LastErrorCode();
    return MatchFrom(rec, data);
}

void FindCloseEx(TSearchRecEx& rec) {
    if (rec.FindHandle != InvalidFindHandle)
        FileFindApi.FindClose(reinterpret_cast<HANDLE>(rec.FindHandle));
    rec.FindHandle = InvalidFindHandle;
}

} // namespace velk
