#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velk {

// The install log as the installer leaves it: an INI file whose numbered sections list what the
// installation created, and the texts and display settings it left for the uninstaller.
enum TLogSection {
    lsCopyFiles,
    lsAddReg,
    lsAddIni,
    lsShortcuts,
    lsCreateDirs,
    lsCreateKeys,
    lsRegServers,
    lsRegFonts,
    lsSharedFiles,
    lsPreRunApp,
    lsRunApp,
    lsSectionCount
};

// Names and values in file order; a name appears once per section.
using TLogEntries = std::vector<std::pair<std::string, std::string>>;

struct TInstallLog {
    TLogEntries Sections[lsSectionCount];
    TLogEntries Display;
    TLogEntries Strings;
};

// The section names, by number.
extern const char* const LogSectionNames[lsSectionCount];

// Reads the log with the options the installer wrote it with (comments and lines without "="
// dropped, blanks around "=" removed, quotes kept), so that a line cut short by a damaged file is
// never taken as an entry. False when the file is missing or cannot be read.
bool ReadInstallLog(const std::string& fileName, TInstallLog& log);

// The value of the first entry named name (without regard to case), def when there is none.
std::string LogValue(const TLogEntries& entries, std::string_view name, const std::string& def);

} // namespace velk
