#include "tools/velkpack/reader/HostFiles.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "platform/win/WindowsSupport.h"

namespace velk {

bool SetLastWriteDosTime(const std::string& path, uint16_t date, uint16_t time) {
    FILETIME local;
    FILETIME universal;
    if (!DosDateTimeToFileTime(date, time, &local) || !LocalFileTimeToFileTime(&local, &universal))
        return false;
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool set = SetFileTime(file, nullptr, nullptr, &universal) != FALSE;
    CloseHandle(file);
    return set;
}

void SetBinaryStdout() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

std::string ExecutablePath() {
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return {};
    return std::string(path, n);
}

bool StderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace velk
