#include "database/VKPredefined.h"

#include <string_view>
#include <utility>

#include "database/VKVariables.h"
#include "platform/StrUtils.h"
#include "platform/epDateTime.h"
#include "platform/epFileUtils.h"
#include "platform/epLocale.h"
#include "platform/epRegIni.h"
#include "platform/epShell.h"
#include "platform/epUtils.h"

namespace velk {

namespace {

const char kCurrentVersionKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
const char kVirtualRootsKey[] =
    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
const char kDelphiKey[] = "HKLM\\SOFTWARE\\Borland\\Delphi";

// Folders kept in the registry. The defaults stay unexpanded, so that their references follow
// the variables they name when the folder is read.
struct TRegistryFolder {
    const char* Name;
    const char* Key;
    const char* Value;
    const char* Default;
};

const TRegistryFolder kRegistryFolders[] = {
    {"ProgramFiles", kCurrentVersionKey, "ProgramFilesDir", "%BootDrive%\\Program Files"},
    {"CommonFiles", kCurrentVersionKey, "CommonFilesDir", "%ProgramFiles%\\Common Files"},
    {"ApplicationData",
     "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\", "AppData",
     "%Windows%\\Application Data"},
    {"Office97", "HKLM\\SOFTWARE\\Microsoft\\Office\\8.0\\Common\\InstallRoot\\", "OfficeBin",
     "%ProgramFiles%\\Microsoft Office\\Office"},
    {"Office2000", "HKLM\\SOFTWARE\\Microsoft\\Office\\9.0\\Common\\InstallRoot\\", "Path",
     "%ProgramFiles%\\Microsoft Office\\Office"},
};

std::string FirstItem(const std::string& list, char separator) {
    return list.substr(0, list.find(separator));
}

std::string_view WholeText(const std::string& text) {
    return text;
}

std::string_view EntryName(const std::string& entry) {
    return std::string_view(entry).substr(0, entry.find('='));
}

// Stable, ignoring case; the lists are short, and a small sort keeps the program small.
void SortIgnoringCase(std::vector<std::string>& items,
                      std::string_view (*key)(const std::string&)) {
    for (size_t i = 1; i < items.size(); ++i)
        for (size_t j = i; j > 0 && CompareText(key(items[j - 1]), key(items[j])) > 0; --j)
            std::swap(items[j - 1], items[j]);
}

void SetEnvironmentVariables(TvkMainDatabase& db) {
    std::vector<std::string> entries;
    GetEnvironmentList(entries);
    SortIgnoringCase(entries, EntryName);
    for (const std::string& entry : entries) {
        size_t eq = entry.find('=');
        // Entries without a name ("=C:=C:\...") record per-drive folders, not variables.
        if (eq == 0)
            continue;
        SetPredefined(db, EntryName(entry),
                      eq == std::string::npos ? std::string() : entry.substr(eq + 1));
    }
}

std::string DelphiFolder() {
    std::vector<std::string> versions;
    EnumRegKeys(kDelphiKey, versions);
    if (versions.empty())
        return "C:";
    SortIgnoringCase(versions, WholeText);
    return ReadRegString(std::string(kDelphiKey) + "\\" + versions.back(), "RootDir", "");
}

const char* OSPlatformText(const TOSVersion& os) {
    return os.Kind == osWinNT || os.Kind == osWin2000 || os.Kind == osWinXP ? "NT" : "9X";
}

const char* OSVersionText(const TOSVersion& os) {
    switch (os.Kind) {
    case osWin95:
        return "95";
    case osWin98:
        return "98";
    case osWinNT:
        return "NT4";
    case osWin2000:
        return "2K";
    case osWinMe:
        return "ME";
    default:
        return "XP";
    }
}

} // namespace

void InitPredefinedVariables(TvkMainDatabase& db) {
    SetEnvironmentVariables(db);
    SetPredefined(
        db, "BootDrive",
        ExtractFileDrive(ReadRegString(std::string(kCurrentVersionKey) + "Setup", "BootDir", "")));
    SetPredefinedFolder(db, "Windows", GetWindowsFolder());
    SetPredefinedFolder(db, "System", GetSystemFolder());
    for (int32_t i = 0; i < PredefinedFolderCount; ++i)
        SetPredefinedFolder(db, PredefinedFolders[i].Name, GetPredefinedFolder(i));
    for (const TRegistryFolder& folder : kRegistryFolders)
        SetPredefinedFolder(db, folder.Name,
                            ReadRegString(folder.Key, folder.Value, folder.Default));
    std::string bde =
        FirstItem(ReadRegString("HKLM\\SOFTWARE\\Borland\\Database Engine", "DLLPATH", ""), ';');
    SetPredefinedFolder(db, "BDE", bde.empty() ? "%CommonFiles%\\Borland Shared\\BDE" : bde);
    SetPredefinedFolder(db, "Delphi", DelphiFolder());
    SetPredefined(db, "Date", FormatShortDate(Now()));
    SetPredefinedFolder(
        db, "IIS-WWWRoot",
        FirstItem(ReadRegString(kVirtualRootsKey, "/", "%BootDrive%\\wwwroot"), ','));
    SetPredefinedFolder(
        db, "IIS-Scripts",
        FirstItem(ReadRegString(kVirtualRootsKey, "/Scripts", "%IIS-WWWRoot%\\scripts"), ','));
}

void InitRuntimeVariables(TvkMainDatabase& db, const TvkRunInfo& run) {
    InitPredefinedVariables(db);
    SetPredefinedFolder(db, "SourcePath", run.SourceFolder);
    // Without Windows there is no system to describe.
    const TOSVersion& os = OSVersion();
    bool windows = !os.Version.empty();
    SetPredefined(db, "OSPlatform", windows ? OSPlatformText(os) : "");
    SetPredefined(db, "OSVersion", windows ? OSVersionText(os) : "");
    SetPredefined(db, "LangID", run.LangID);
    SetPredefined(db, "QuickLaunch",
                  "%ApplicationData%\\Microsoft\\Internet Explorer\\Quick Launch");
    SetPredefined(db, "ParamStr", JoinParamStr(run.Arguments));
}

std::string JoinParamStr(const std::vector<std::string>& arguments) {
    std::string joined;
    for (const std::string& arg : arguments) {
        if (!joined.empty())
            joined += ' ';
        joined += arg.find(' ') == std::string::npos ? arg : "\"" + arg + "\"";
    }
    return joined;
}

} // namespace velk
