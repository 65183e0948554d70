#pragma once

#include <cstdint>
#include <string>

namespace velk {

// What extracting and printing need of the host system.

// Gives the file a packed DOS date and time, taken as local time, as its last-write time: the
// time setup.exe finds on an entry it extracted, and so the date its databases are read under.
bool SetLastWriteDosTime(const std::string& path, uint16_t date, uint16_t time);

// Makes stdout carry bytes unchanged (no line-end translation on Windows).
void SetBinaryStdout();

// The running program's own file, symbolic links resolved; empty when it cannot be told.
std::string ExecutablePath();

// Whether stderr is a terminal (and not a file or a pipe).
bool StderrIsTerminal();

} // namespace velk
