#include "install/UninstallRegistration.h"

#include <algorithm>
#include <vector>

#include "database/VKVariables.h"
#include "install/InstallLog.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epUtils2.h"
#include "plugins/Msg.h"

#include <windows.h>

namespace velk {

namespace {

constexpr std::string_view UninstallKey =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* UninstallerName = "Uninstall.exe";

std::vector<std::string> SortedNames(const std::string& logPath, TLogSection section) {
    std::vector<std::string> names;
    IniReadSection(logPath, LogSectionName(section), names);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

void RemoveOldReferences(const std::string& logPath) {
    for (const std::string& shortcut : SortedNames(logPath, TLogSection::Shortcuts)) {
        DeleteFileForced(shortcut);
        DeleteFileForced(WithoutExtension(shortcut) + ".pif");
    }
    const std::vector<std::string> folders = SortedNames(logPath, TLogSection::CreateDirs);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        RemoveDirectoryA(it->c_str());
    const std::vector<std::string> keys = SortedNames(logPath, TLogSection::CreateKeys);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        if (it->size() >= UninstallKey.size() &&
            SameText(std::string_view(*it).substr(0, UninstallKey.size()), UninstallKey))
            DeleteRegKey(*it, true);
}

bool CopyUninstaller(const std::string& packageFolder, const std::string& installFolder) {
    const std::string source = IncludeTrailingBackslash(packageFolder) + UninstallerName;
    const std::string target = installFolder + UninstallerName;
    if (!FileExists(source) || !IsFileNewer(source, target))
        return true;
    DeleteFileForced(target);
    ForceDirectories(installFolder);
    return CopyFileWithProgress(source, target, nullptr, false);
}

bool RegisterUninstall(TvkMainDatabase& db, const std::string& installFolder) {
    TInstallLog& log = InstallLog();
    const std::string uninstaller = installFolder + UninstallerName;
    const bool listed = FileExists(uninstaller);
    const std::string key = std::string(UninstallKey) + "\\" + GetVariable(&db, "AppID", "App");
    if (listed)
        log.Write(TLogSection::CreateKeys, key);
    log.WriteText("Display", "Charset", IntToStr(LanguageCharset(CurrentLanguage())));
    log.WriteText("Display", "DialogTitleFont", GetVariable(&db, "UninstallTitleFont", ""));
    std::vector<std::string> lines;
    IniReadSectionValues(LanguageFile(), "Uninstall.Strings", lines);
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        std::string text = ExpandVariables(&db, line.substr(equals + 1));
        // Every entry stays on one line.
        for (const char* lineBreak : {"\r\n", "\r", "\n"})
            for (size_t at = 0; (at = text.find(lineBreak, at)) != std::string::npos; at += 2)
                text.replace(at, std::char_traits<char>::length(lineBreak), "||");
        log.WriteText("Strings", line.substr(0, equals), text);
    }
    // The entry goes in only once the log it points at is complete on disk.
    if (!log.Save())
        return false;
    if (listed) {
        WriteRegString(key, "DisplayName", GetVariable(&db, "AppName", "Application"));
        WriteRegString(key, "UninstallString",
                       Format("%s \"%s\"", uninstaller.c_str(), log.Path().c_str()));
    }
    return true;
}

} // namespace velk
