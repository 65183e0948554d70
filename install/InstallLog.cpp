#include "install/InstallLog.h"

#include <vector>

#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"

namespace velk {

namespace {

constexpr const char* SectionNames[] = {"CopyFiles",   "AddReg",     "AddIni",     "Shortcuts",
                                        "CreateDirs",  "CreateKeys", "RegServers", "RegFonts",
                                        "SharedFiles", "PreRunApp",  "RunApp"};

} // namespace

const char* LogSectionName(TLogSection section) {
    return SectionNames[size_t(section)];
}

void TInstallLog::Start(const std::string& path, bool uninstall) {
    path_ = path;
    on_ = uninstall && !path.empty();
}

void TInstallLog::Write(TLogSection section, std::string_view name, std::string_view value) {
    WriteText(LogSectionName(section), name, value);
}

void TInstallLog::WriteText(std::string_view section, std::string_view name,
                            std::string_view value) {
    if (on_)
        IniWriteString(path_, section, name, value);
}

bool TInstallLog::Listed(TLogSection section, std::string_view name) const {
    return on_ && IniValueExists(path_, LogSectionName(section), name);
}

bool TInstallLog::CreateFolders(const std::string& folder) {
    std::vector<std::string> missing;
    for (std::string path = ExcludeTrailingBackslash(folder);
         path.size() > 2 && !DirectoryExists(path);) {
        missing.push_back(path);
        const std::string parent = ExcludeTrailingBackslash(ExtractFilePath(path));
        if (parent == path)
            break;
        path = parent;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        ForceDirectories(*it);
        if (DirectoryExists(*it))
            Write(TLogSection::CreateDirs, *it);
    }
    return DirectoryExists(ExcludeTrailingBackslash(folder));
}

bool TInstallLog::Save() const {
    if (!on_)
        return true;
    TepIniFile* file = GetIniFile(path_, false);
    file->UpdateFile();
    return !file->Modified();
}

TInstallLog& InstallLog() {
    static TInstallLog log;
    return log;
}

} // namespace velk
