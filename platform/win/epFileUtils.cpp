#include "platform/epFileUtils.h"

#include "platform/epFileFind.h"
#include "platform/win/ScopedHandle.h"
#include "platform/win/WindowsSupport.h"
#include "platform/win/epFileUtilsApi.h"

namespace velk {

TFileUtilsApi FileUtilsApi;

namespace {

struct TLibraryTraits {
    using Type = HMODULE;
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { FileUtilsApi.FreeLibrary(module); }
};

// Ends a search when it goes out of scope.
class TSearch {
public:
    TSearch() = default;
    TSearch(const TSearch&) = delete;
    TSearch& operator=(const TSearch&) = delete;
    ~TSearch() { FindCloseEx(rec); }
    TSearchRecEx rec;
};

} // namespace

bool IsLeadByte(char c) {
    return ::IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
}

bool PathExists(const std::string& path) {
    return FileUtilsApi.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::string& fileName) {
    DWORD attr = FileUtilsApi.GetFileAttributesA(fileName.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    DWORD attr = FileUtilsApi.GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ForceDirectories(const std::string& path) {
    if (path.empty())
        return;
    std::string folder = ExcludeTrailingBackslash(path);
    // Two characters or fewer is a drive ("C:") or a root: never created.
    if (folder.size() <= 2 || DirectoryExists(folder))
        return;
    std::string parent = ExtractFilePath(folder);
    if (parent != folder)
        ForceDirectories(parent);
    FileUtilsApi.CreateDirectoryA(folder.c_str(), nullptr);
}

bool DeleteFileForced(const std::string& fileName) {
    FileUtilsApi.SetFileAttributesA(fileName.c_str(), FILE_ATTRIBUTE_NORMAL);
    return FileUtilsApi.DeleteFileA(fileName.c_str()) != FALSE;
}

bool DeleteFolder(const std::string& path, bool removeFolders) {
    if (!DirectoryExists(path))
        return false;
    bool result = true;
    std::string folder = IncludeTrailingBackslash(path);
    int code;
    {
        TSearch search;
        for (code = FindFirstEx(folder + "*.*", faAnyFile, 0, search.rec); code == 0;
             code = FindNextEx(search.rec)) {
            const TSearchRecEx& rec = search.rec;
            if (rec.Name.compare(0, 1, ".") == 0 || rec.Attr == faVolumeID)
                continue;
            // Every entry is tried, so that one failure does not keep the rest.
            if (rec.Attr & faDirectory) {
                bool deleted = DeleteFolder(rec.FullName, removeFolders);
                result = result && deleted;
            } else if ((rec.Attr & faVolumeID) == 0) {
                if (rec.Attr & faReadOnly)
                    FileUtilsApi.SetFileAttributesA(rec.FullName.c_str(), FILE_ATTRIBUTE_ARCHIVE);
                bool deleted = DeleteFileForced(rec.FullName);
                result = result && deleted;
            }
        }
    }
    // A search that broke off may have left entries behind; only an empty drive root has none.
    if (code != ERROR_NO_MORE_FILES && code != ERROR_FILE_NOT_FOUND)
        result = false;
    bool bareDrive = path.size() == 2 && path[1] == ':';
    if (removeFolders && result && code == ERROR_NO_MORE_FILES && !bareDrive)
        result = FileUtilsApi.RemoveDirectoryA(path.c_str()) != FALSE;
    return result;
}

std::string GetShortName(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = FileUtilsApi.GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? path : std::string(buffer, n);
}

int64_t GetFileSizeByName(const std::string& fileName) {
    char buffer[MAX_PATH];
    char* namePart = nullptr;
    DWORD n = FileUtilsApi.GetFullPathNameA(fileName.c_str(), MAX_PATH, buffer, &namePart);
    if (n == 0 || n >= MAX_PATH)
        return -1;
    TSearch search;
    if (FindFirstEx(std::string(buffer, n), faAnyFile, 0, search.rec) != 0)
        return -1;
    return static_cast<int64_t>(search.rec.FindData.FileSize);
}

TDateTime GetFileDate(const std::string& fileName) {
    TSearch search;
    if (FindFirstEx(fileName, faAnyFile, faDirectory, search.rec) != 0)
        return 0;
    return FileDateToDateTime(search.rec.Time);
}

int64_t GetDiskFreeKBOn(const std::string& path, const TOSVersion& os) {
    if (!DirectoryExists(path))
        return 0;
    std::string target = path;
    if (IsWin9xFamily(os)) {
        // The 9x calls take a drive root only.
        std::string drive = ExtractFileDrive(path);
        if (!drive.empty())
            target = drive + "\\";
    }
    if (os.Kind >= osWin98 || os.Build >= 1111) {
        TScoped<TLibraryTraits> kernel(FileUtilsApi.LoadLibraryA("kernel32.dll"));
        if (!kernel.Valid())
            return 0;
        auto getFreeSpaceEx =
            reinterpret_cast<decltype(&::GetDiskFreeSpaceExA)>(reinterpret_cast<void*>(
                FileUtilsApi.GetProcAddress(kernel.Get(), "GetDiskFreeSpaceExA")));
        ULARGE_INTEGER available, total, free;
        if (getFreeSpaceEx == nullptr || !getFreeSpaceEx(target.c_str(), &available, &total, &free))
            return 0;
        return static_cast<int64_t>(available.QuadPart >> 10);
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!FileUtilsApi.GetDiskFreeSpaceA(target.c_str(), &sectorsPerCluster, &bytesPerSector,
                                        &freeClusters, &clusters))
        return 0;
    return static_cast<int64_t>(uint64_t(sectorsPerCluster) * bytesPerSector * freeClusters / 1024);
}

int64_t GetDiskFreeKB(const std::string& path) {
    return GetDiskFreeKBOn(path, OSVersion());
}

static TLocalTime LocalTimeNow() {
    SYSTEMTIME st;
    FileUtilsApi.GetLocalTime(&st);
    return TLocalTime{st.wYear,   st.wMonth,  st.wDay,         st.wHour,
                      st.wMinute, st.wSecond, st.wMilliseconds};
}

std::string MakeUniqueFileName(const std::string& folder, std::string_view prefix,
                               std::string_view ext, bool shortName) {
    std::string base = IncludeTrailingBackslash(folder);
    for (;;) {
        std::string name = UniqueNameCandidate(LocalTimeNow(), prefix, ext, shortName);
        if (!PathExists(base + name))
            return name;
    }
}

bool CopyLastWriteTime(TFileHandle source, TFileHandle dest) {
    FILETIME written;
    return FileUtilsApi.GetFileTime(reinterpret_cast<HANDLE>(source), nullptr, nullptr, &written) &&
           FileUtilsApi.SetFileTime(reinterpret_cast<HANDLE>(dest), nullptr, nullptr, &written);
}

bool CopyFileAttributes(const std::string& source, const std::string& dest) {
    DWORD attr = FileUtilsApi.GetFileAttributesA(source.c_str());
    return attr != INVALID_FILE_ATTRIBUTES &&
           FileUtilsApi.SetFileAttributesA(dest.c_str(), attr) != FALSE;
}

} // namespace velk
