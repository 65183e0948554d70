#include "platform/epReplaceOnRestart.h"

#include "platform/StrUtils.h"
#include "platform/epFileHandles.h"
#include "platform/epFileUtils.h"
#include "platform/epFullPath.h"
#include "platform/epIniFile.h"
#include "platform/epRegIni.h"
#include "platform/win/epReplaceOnRestartApi.h"

namespace velk {

TReplaceOnRestartApi ReplaceOnRestartApi;

namespace {

const char RunOnceKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// A destination that does not exist yet has no short name: it is created for a moment to learn
// the one it will get.
std::string ShortTargetName(const std::string& dest) {
    if (FileExists(dest))
        return GetShortName(dest);
    TFileHandleOwner probe(
        OpenFileHandle(dest, FileAccessWrite, 0, FileAttributeNormal, FileCreateNew));
    if (!probe.IsOpen())
        return GetShortName(dest);
    probe.Close();
    std::string shortName = GetShortName(dest);
    DeleteFileForced(dest);
    return shortName;
}

bool ReadLines(const std::string& fileName, std::vector<std::string>& lines) {
    TFileHandleOwner file(OpenFileHandle(fileName, FileAccessRead, FileShareRead,
                                         FileAttributeNormal, FileOpenExisting));
    if (!file.IsOpen())
        return false;
    std::string line;
    while (!AtEndOfFile(file.Get())) {
        if (!ReadTextLine(file.Get(), line))
            return false;
        lines.push_back(line);
    }
    // Lines end at carriage returns only: the line feed of a final CR LF reads as one more,
    // empty line, which the file does not have.
    if (!lines.empty() && lines.back().empty()) {
        char last = 0;
        if (SeekFileHandle(file.Get(), -1, TSeekOrigin::End) < 0 ||
            ReadFileHandle(file.Get(), &last, 1) != 1)
            return false;
        if (last == '\n')
            lines.pop_back();
    }
    return true;
}

bool WriteLines(const std::string& fileName, const std::vector<std::string>& lines) {
    TFileHandleOwner file(
        OpenFileHandle(fileName, FileAccessWrite, 0, FileAttributeNormal, FileCreateAlways));
    if (!file.IsOpen())
        return false;
    for (const std::string& line : lines) {
        if (!WriteTextLine(file.Get(), line))
            return false;
    }
    return true;
}

// The old file waits under the backup name while the new one is written; on any failure the
// new one goes and the old one comes back, so that no pending operation is lost.
void RewriteRestartFile(const std::vector<std::string>& entries) {
    std::string folder = IncludeTrailingBackslash(GetWindowsFolder());
    std::string name = folder + "wininit.ini";
    std::string backup = folder + "wininit.bak";
    DeleteFileForced(backup);
    bool hadOld = FileExists(name);
    if (hadOld && !ReplaceOnRestartApi.MoveFileA(name.c_str(), backup.c_str()))
        throw EInOutError(Format("Cannot rename file %s", name.c_str()));
    std::vector<std::string> lines;
    if (hadOld && !ReadLines(backup, lines)) {
        ReplaceOnRestartApi.MoveFileA(backup.c_str(), name.c_str());
        throw EInOutError(Format("Cannot read file %s", backup.c_str()));
    }
    if (!WriteLines(name, PlaceRenameEntries(lines, entries))) {
        DeleteFileForced(name);
        if (hadOld)
            ReplaceOnRestartApi.MoveFileA(backup.c_str(), name.c_str());
        throw EInOutError(Format("Cannot write file %s", name.c_str()));
    }
    DeleteFileForced(backup);
}

void ScheduleIn9x(const std::string& source, const std::string& dest) {
    if (dest.empty()) {
        RewriteRestartFile(RenameEntries(GetShortName(source), ""));
        return;
    }
    std::string shortDest = ShortTargetName(dest);
    std::vector<std::string> entries = RenameEntries(GetShortName(source), shortDest);
    if (SameText(shortDest, dest)) {
        RewriteRestartFile(entries);
        return;
    }
    // Before the system starts only short names exist: the long one is given back at logon.
    std::string valueName = RenameBackValueName(shortDest);
    if (!WriteRegString(RunOnceKey, valueName, RenameBackCommand(shortDest, ExtractFileName(dest))))
        throw Exception(
            Format("Cannot write registry value %s\\%s", RunOnceKey, valueName.c_str()));
    try {
        RewriteRestartFile(entries);
    } catch (const EInOutError&) {
        DeleteRegValue(RunOnceKey, valueName);
        throw;
    }
}

} // namespace

bool ReplaceFileOnRestartOn(const std::string& Source, const std::string& Dest,
                            const TOSVersion& os) {
    std::string source = ExpandFileName(Source);
    std::string dest = Dest.empty() ? std::string() : ExpandFileName(Dest);
    if (!FileExists(source))
        return true;
    if (IsWin9xFamily(os)) {
        ScheduleIn9x(source, dest);
        return true;
    }
    if (dest.empty())
        return ReplaceOnRestartApi.MoveFileExA(source.c_str(), nullptr,
                                               MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    // The new file cannot take the place of one that is still there, so the old one goes first.
    return ReplaceOnRestartApi.MoveFileExA(dest.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) &&
           ReplaceOnRestartApi.MoveFileExA(source.c_str(), dest.c_str(),
                                           MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool ReplaceFileOnRestart(const std::string& Source, const std::string& Dest) {
    return ReplaceFileOnRestartOn(Source, Dest, OSVersion());
}

} // namespace velk
