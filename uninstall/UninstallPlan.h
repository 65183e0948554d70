#pragma once

#include <string>
#include <vector>

#include "uninstall/AppRecord.h"
#include "uninstall/InstallLog.h"

namespace velk {

enum class TUndoKind {
    RunApp,           // App
    DeleteShortcut,   // Path, a ".lnk" file; the ".pif" file of the same name goes too
    UnregisterServer, // Path; Flag: the file is shared, so it stays registered while others count
    RemoveFont,       // Name under the fonts key, Path the font file
    DeleteRegValue,   // Path the key, Name the value
    DeleteRegKey,     // Path; Flag: with everything in it (the uninstall entry), else when empty
    ReleaseShared,    // Path; Flag: the installation put the file there, so it goes at count 0
    RemoveFile,       // Path
    RemoveFolder,     // Path, when empty
};

struct TUndoStep {
    TUndoKind Kind = TUndoKind::RemoveFile;
    std::string Path;
    std::string Name;
    bool Flag = false;
    TAppRecord App;
};

// The steps that undo the installation the log describes, in the reverse order of the install
// phases: the programs to run before, shortcuts, COM servers, fonts, registry values, registry
// keys (deepest first), files, folders (deepest first), the programs to run after. Entries that do
// not parse or name an unsafe path are left out; so are the "AddIni" entries, whose file and
// section the log does not record (an INI file the installation created is in "CopyFiles" and
// goes whole). A "CopyFiles" name without a folder is an INI file in windowsFolder, where the
// installer's INI engine put it.
std::vector<TUndoStep> PlanUninstall(const TInstallLog& log, const std::string& windowsFolder);

} // namespace velk
