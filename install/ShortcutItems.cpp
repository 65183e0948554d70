#include "database/VKVariables.h"
#include "install/InstallLog.h"
#include "install/ItemActions.h"
#include "install/ItemEvents.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epShellLink.h"
#include "plugins/ErrorBox.h"

namespace velk {

namespace {

// False when the shortcut could not be saved.
bool ProcessItem(TvkShortcut& item, TXMLObject* scope) {
    for (std::string* text :
         {&item.Name, &item.CmdLine, &item.Arg, &item.WorkDir, &item.IconFile, &item.Description})
        *text = ExpandVariables(scope, *text);
    const std::string linkFile = item.Name + ".lnk";
    const bool remove = item.Action == TvkAction::Remove;
    // A hidden start is no shortcut setting: such a shortcut starts normal.
    const uint8_t show = item.ShowCmd == TvkShowCmd::scMin   ? 1
                         : item.ShowCmd == TvkShowCmd::scMax ? 2
                                                             : 0;
    TVkShortcutItem record = {item.Name.c_str(),
                              item.CmdLine.c_str(),
                              item.Arg.c_str(),
                              item.WorkDir.c_str(),
                              show,
                              item.IconFile.c_str(),
                              item.Icon,
                              item.Hotkey,
                              item.Description.c_str(),
                              remove ? 1 : 0};
    if (ItemVetoed(TItemKind::Shortcuts, &record))
        return true;
    if (remove) {
        DeleteFileForced(linkFile);
        ItemDone(TItemKind::Shortcuts, &record);
        return true;
    }
    if (item.Flags.Contains(TvkFlag::DontOverwrite) && FileExists(linkFile))
        return true;
    const bool logged = !item.Flags.Contains(TvkFlag::DontLog);
    if (logged)
        InstallLog().CreateFolders(ExtractFilePath(linkFile));
    else
        ForceDirectories(ExtractFilePath(linkFile));
    TepShellLink link;
    link.Target = item.CmdLine;
    link.Arguments = item.Arg;
    link.WorkingDir = item.WorkDir;
    link.IconFile = item.IconFile;
    link.IconIndex = item.Icon;
    link.HotKey = uint16_t(item.Hotkey);
    link.ShowCmd = show;
    link.Description = item.Description;
    if (!link.Save(linkFile)) {
        ErrorBox("Shortcut creation error",
                 Format("Error creating shortcut \"%s\".", linkFile.c_str()));
        return false;
    }
    if (logged)
        InstallLog().Write(TLogSection::Shortcuts, linkFile);
    ItemDone(TItemKind::Shortcuts, &record);
    return true;
}

} // namespace

bool InstallShortcuts(TvkMainDatabase& db) {
    return ForEachActiveItem(db, &TvkComponent::Shortcuts, ProcessItem);
}

} // namespace velk
