#include "database/VKVariables.h"
#include "install/InstallLog.h"
#include "install/ItemActions.h"
#include "install/ItemEvents.h"
#include "platform/epFileUtils.h"
#include "platform/epIniFile.h"
#include "platform/epRegIni.h"
#include "plugins/ErrorBox.h"

namespace velk {

namespace {

void ShowIniError() {
    ErrorBox("Ini file error", "Error during changing the ini file!");
}

// Where the file is on disk: a name without a folder is taken from the Windows folder.
std::string IniFilePath(const std::string& file) {
    return ExtractFilePath(file).empty() ? IncludeTrailingBackslash(IniDefaultFolder()) + file
                                         : file;
}

// False when the entry could not be written.
bool ProcessItem(TvkIni& item, TXMLObject* scope) {
    for (std::string* text : {&item.IniFile, &item.Section, &item.Param, &item.Value})
        *text = ExpandVariables(scope, *text);
    const bool remove = item.Action == TvkAction::Remove;
    TVkIniItem record = {item.IniFile.c_str(), item.Section.c_str(), item.Param.c_str(),
                         item.Value.c_str(), remove ? 1 : 0};
    if (ItemVetoed(TItemKind::Ini, &record))
        return true;
    if (!remove) {
        try {
            const bool existed = IniValueExists(item.IniFile, item.Section, item.Param);
            if (existed && item.Flags.Contains(TvkFlag::DontOverwrite))
                return true;
            const std::string path = IniFilePath(item.IniFile);
            const bool newFile = !FileExists(path);
            IniWriteString(item.IniFile, item.Section, item.Param, item.Value);
            if (!existed && !item.Flags.Contains(TvkFlag::DontLog)) {
                if (newFile)
                    InstallLog().Write(TLogSection::CopyFiles, path);
                InstallLog().Write(TLogSection::AddIni, item.Param, item.Value);
            }
        } catch (const EInOutError&) {
            // The file is there but cannot be opened for writing (read-only, or held by another
            // program).
            ShowIniError();
            return false;
        }
    }
    ItemDone(TItemKind::Ini, &record);
    return true;
}

} // namespace

bool InstallIniItems(TvkMainDatabase& db) {
    return ForEachComponent(db, [](TvkComponent& component, TXMLObject* scope) {
        bool success = true;
        if (component.IniFiles)
            for (int i = 0; success && i < component.IniFiles->Count(); ++i) {
                TvkIni& item = *component.IniFiles->Items(i);
                success = !item.IsActive() || ProcessItem(item, scope);
            }
        // Changes the cache cannot write out are lost: the phase must not report success.
        if (!FlushIniFiles().empty()) {
            if (success)
                ShowIniError();
            success = false;
        }
        return success;
    });
}

} // namespace velk
