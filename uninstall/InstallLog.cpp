#include "uninstall/InstallLog.h"

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epIniFile.h"

namespace velk {

const char* const LogSectionNames[lsSectionCount] = {
    "CopyFiles",  "AddReg",   "AddIni",      "Shortcuts", "CreateDirs", "CreateKeys",
    "RegServers", "RegFonts", "SharedFiles", "PreRunApp", "RunApp"};

namespace {

TLogEntries ReadEntries(TepIniFile& file, std::string_view section) {
    std::vector<std::string> lines;
    file.ReadSectionValues(section, lines);
    TLogEntries entries;
    for (const std::string& line : lines)
        entries.emplace_back(std::string(IniKeyName(line)), std::string(IniValue(line)));
    return entries;
}

} // namespace

bool ReadInstallLog(const std::string& fileName, TInstallLog& log) {
    if (!FileExists(fileName))
        return false;
    try {
        TepIniFile file(fileName, true, true, true, true, false);
        for (int i = 0; i < lsSectionCount; ++i)
            log.Sections[i] = ReadEntries(file, LogSectionNames[i]);
        log.Display = ReadEntries(file, "Display");
        log.Strings = ReadEntries(file, "Strings");
    } catch (const EInOutError&) {
        return false;
    }
    return true;
}

std::string LogValue(const TLogEntries& entries, std::string_view name, const std::string& def) {
    for (const auto& entry : entries)
        if (SameText(entry.first, name))
            return entry.second;
    return def;
}

} // namespace velk
