#include "platform/epFileUtils.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

// The Linux side serves the author tools: it takes native paths and offers the file functions
// they use. Its files have no read-only, hidden or archive attributes beyond the permission bits,
// and their deletion does not depend on the file's own permissions.

namespace velk {

bool IsLeadByte(char) {
    return false;
}

static bool StatPath(const std::string& path, struct stat& st) {
    return ::stat(path.c_str(), &st) == 0;
}

bool PathExists(const std::string& path) {
    struct stat st;
    return StatPath(path, st);
}

bool FileExists(const std::string& fileName) {
    struct stat st;
    return StatPath(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

void ForceDirectories(const std::string& path) {
    if (path.empty() || DirectoryExists(path))
        return;
    size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
    if (slash != std::string::npos && slash > 0)
        ForceDirectories(path.substr(0, slash));
    ::mkdir(path.c_str(), 0777);
}

bool DeleteFileForced(const std::string& fileName) {
    return ::unlink(fileName.c_str()) == 0;
}

bool DeleteFolder(const std::string& path, bool removeFolders) {
    if (!DirectoryExists(path))
        return false;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir)
        return false;
    bool result = true;
    std::string folder = path.back() == '/' ? path : path + "/";
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        std::string name = folder + entry->d_name;
        struct stat st;
        // A link to a folder is removed as a link; what it points to stays.
        bool isFolder = ::lstat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        bool deleted = isFolder ? DeleteFolder(name, removeFolders) : DeleteFileForced(name);
        result = result && deleted;
    }
    dir.reset();
    if (removeFolders && result)
        result = ::rmdir(path.c_str()) == 0;
    return result;
}

int64_t GetFileSizeByName(const std::string& fileName) {
    struct stat st;
    return StatPath(fileName, st) ? static_cast<int64_t>(st.st_size) : -1;
}

// The platform's packed DOS form of a local time; 0 outside its years 1980 to 2107.
static int32_t DosDateTime(time_t t) {
    struct tm local;
    if (::localtime_r(&t, &local) == nullptr || local.tm_year < 80 || local.tm_year > 207)
        return 0;
    uint32_t date = uint32_t(local.tm_year - 80) << 9 | uint32_t(local.tm_mon + 1) << 5 |
                    uint32_t(local.tm_mday);
    uint32_t time =
        uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 | uint32_t(local.tm_sec / 2);
    return static_cast<int32_t>(date << 16 | time);
}

TDateTime GetFileDate(const std::string& fileName) {
    struct stat st;
    if (!StatPath(fileName, st) || S_ISDIR(st.st_mode))
        return 0;
    return FileDateToDateTime(DosDateTime(st.st_mtime));
}

bool CopyLastWriteTime(TFileHandle source, TFileHandle dest) {
    // Handles are descriptors plus one.
    struct stat st;
    if (::fstat(int(source - 1), &st) != 0)
        return false;
    struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    return ::futimens(int(dest - 1), times) == 0;
}

bool CopyFileAttributes(const std::string& source, const std::string& dest) {
    struct stat st;
    return StatPath(source, st) && ::chmod(dest.c_str(), st.st_mode & 07777) == 0;
}

} // namespace velk
