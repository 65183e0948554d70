#include "install/Install.h"

#include <windows.h>

#include <exception>

#include "database/VKVariables.h"
#include "install/InstallLog.h"
#include "install/ItemActions.h"
#include "install/ItemEvents.h"
#include "install/UninstallRegistration.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "plugins/ErrorBox.h"
#include "plugins/InstallControl.h"
#include "plugins/Msg.h"
#include "plugins/VKPlugins.h"

namespace velk {

namespace {

struct TWorker {
    TFileInstaller* Installer;
    bool Result = false;
};

DWORD WINAPI InstallFiles(void* parameter) {
    auto& worker = *static_cast<TWorker*>(parameter);
    try {
        worker.Result = worker.Installer->InstallAll();
    } catch (const std::exception&) {
        // A fault in one item fails the phase with its box; it never takes the process down.
        worker.Result = false;
    }
    return worker.Result ? 1 : 0;
}

// A message of the language file; the English text when the file lacks it.
std::string LanguageMessage(int number, const char* english, const std::string& argument = {}) {
    const std::string text = GetMessageText(number, {argument});
    return text.empty() ? Format(english, argument.c_str()) : text;
}

// The file phase's work; false after its box, or silently after the user's abort.
bool InstallFiles(TFileInstaller& installer) {
    installer.RemoveFiles();
    TWorker worker{&installer};
    HANDLE thread = CreateThread(nullptr, 0, InstallFiles, &worker, 0, nullptr);
    if (thread == nullptr) {
        InstallFiles(&worker);
    } else {
        SetInstallWorker(thread);
        WaitForWorker(thread);
        SetInstallWorker(nullptr);
        CloseHandle(thread);
    }
    if (worker.Result || installer.UserAborted())
        return worker.Result;
    ErrorBox("Unpacking error",
             LanguageMessage(11, "Cannot install file \"%s\"!", installer.FailedPath()));
    return false;
}

} // namespace

bool RunInstall(TvkMainDatabase& db, const TFileFolders& folders) {
    ClearAbortRequest();
    bool success = true;
    const std::string installFolder =
        IncludeTrailingBackslash(GetVariable(&db, "InstallPath", "%Windows%"));
    const bool uninstall = GetVariableBool(&db, "Uninstall", false);
    TInstallLog& log = InstallLog();
    log.Start(GetVariable(&db, "LogFile", installFolder + "install.log"), uninstall);

    success = RunPhase(TItemKind::Applications, success,
                       [&db] { return ProcessApplications(db, TvkWhenStart::BeforeInstall); });

    if (success && GetVariableBool(&db, "RemoveOldReferences", false) && FileExists(log.Path())) {
        ShowStatusText(LanguageMessage(16, "Removing references to the previous version..."));
        RemoveOldReferences(log.Path());
        HideStatusText();
    }

    TFileInstaller installer(db, folders);
    const std::string& packageFolder = db.Packages->Items(0)->Folder;
    if (success && RaiseEvent(EV_BEFOREPROCESSITEMS, KindParameter(TItemKind::Files), nullptr,
                              TStopMode::First) == 0) {
        success = InstallFiles(installer);
        if (success && log.On() && !CopyUninstaller(packageFolder, installFolder)) {
            ErrorBox("Error", "Cannot copy uninstaller!");
            return false;
        }
        RaiseEvent(EV_AFTERPROCESSITEMS, KindParameter(TItemKind::Files), nullptr, TStopMode::All);
    }

    success = RunPhase(TItemKind::ComServers, success, [&] {
        ProvideRegsvr32(db, packageFolder);
        return RegisterComServers(db, installer.ComServers());
    });
    success = RunPhase(TItemKind::Registry, success, [&db] { return InstallRegistryItems(db); });
    success = RunPhase(TItemKind::Ini, success, [&db] { return InstallIniItems(db); });
    success =
        RunPhase(TItemKind::Fonts, success, [&] { return InstallFonts(db, installer.Fonts()); });
    success = RunPhase(TItemKind::Shortcuts, success, [&db] { return InstallShortcuts(db); });
    success = RunPhase(TItemKind::Applications, success,
                       [&db] { return ProcessApplications(db, TvkWhenStart::AfterInstall); });

    if (success && log.On())
        LogUninstallApplications(db);
    // An uninstall entry must not point at a log that is missing or short.
    if ((success && log.On() && !RegisterUninstall(db, installFolder)) || !log.Save()) {
        ErrorBox("Error", Format("Cannot write the install log \"%s\"!", log.Path().c_str()));
        return false;
    }
    return success;
}

} // namespace velk
