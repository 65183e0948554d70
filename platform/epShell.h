#pragma once

#include "platform/epUtils.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

// Starts a program (directly) or a document (through the shell) and waits for it while the
// thread's messages keep flowing; the exit code, or -1 when nothing was started.
int32_t RunAndWait(TWindowHandle owner, const std::string& fileName, const std::string& params,
                   int32_t showCmd, const std::string& folder);

// The file-system path of a shell special folder, without a trailing backslash unless it is a
// drive root; empty when it has none.
std::string GetSpecialFolder(int32_t id);
// The folder of a predefined-folder table entry, from its fallback when the primary has no
// path; empty for an index outside the table.
std::string GetPredefinedFolder(int32_t index);

constexpr int32_t NoFallbackFolder = -1;

struct TPredefinedFolder {
    const char* Name;
    int32_t Primary;  // shell special-folder number
    int32_t Fallback; // NoFallbackFolder when none
};

constexpr int32_t PredefinedFolderCount = 14;
extern const TPredefinedFolder PredefinedFolders[PredefinedFolderCount];

// Portable pieces of RunAndWait.

// Files with these extensions are started as processes: .exe .com .bat .pif; everything else,
// shortcuts included, goes to the shell.
bool IsDirectRunFile(std::string_view fileName);
// "\"file\" params", trimmed; surrounding quotes of the file name are removed first.
std::string DirectRunCommandLine(std::string_view fileName, std::string_view params);
// The folder without surrounding quotes, trimmed; empty means none.
std::string RunStartFolder(std::string_view folder);

} // namespace velk
