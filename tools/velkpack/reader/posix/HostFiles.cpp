#include "tools/velkpack/reader/HostFiles.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velk {

bool SetLastWriteDosTime(const std::string& path, uint16_t date, uint16_t time) {
    std::tm local{};
    local.tm_year = (date >> 9) + 80;
    local.tm_mon = (date >> 5 & 0x0F) - 1;
    local.tm_mday = date & 0x1F;
    local.tm_hour = time >> 11;
    local.tm_min = time >> 5 & 0x3F;
    local.tm_sec = (time & 0x1F) * 2;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    if (when == std::time_t(-1))
        return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

void SetBinaryStdout() {}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || size_t(n) >= path.size())
        return {};
    path.resize(size_t(n));
    return path;
}

bool StderrIsTerminal() {
    return ::isatty(::fileno(stderr)) != 0;
}

} // namespace velk
