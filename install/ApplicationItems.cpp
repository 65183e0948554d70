#include <windows.h>

#include <shellapi.h>

#include "database/VKVariables.h"
#include "install/InstallLog.h"
#include "install/ItemActions.h"
#include "install/ItemEvents.h"
#include "install/ItemTexts.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epShell.h"
#include "platform/epUtils.h"

namespace velk {

namespace {

// Numbers the uninstall-time records of the log across both moments, from 0 in each run.
int32_t uninstallRecords = 0;

int32_t InstallShowMode(TvkShowCmd show) {
    switch (show) {
    case TvkShowCmd::scMin:
        return SW_SHOWMINNOACTIVE;
    case TvkShowCmd::scMax:
        return SW_SHOWMAXIMIZED;
    case TvkShowCmd::scHide:
        return SW_HIDE;
    case TvkShowCmd::scNormal:
        break;
    }
    return SW_SHOWNORMAL;
}

void Run(const TvkRunApp& item, const std::string& cmdLine, const std::string& arg,
         const std::string& workDir) {
    const int32_t show = InstallShowMode(item.ShowCmd);
    if (item.Flags.Contains(TvkFlag::DontWait))
        ShellExecuteA(MainWindowHandle, nullptr, cmdLine.c_str(), arg.c_str(),
                      workDir.empty() ? nullptr : workDir.c_str(), show);
    else
        RunAndWait(MainWindowHandle, cmdLine, arg, show, workDir);
    // An opened folder's window takes a moment to come up.
    if (DirectoryExists(cmdLine))
        Sleep(300);
}

} // namespace

bool ProcessApplications(TvkMainDatabase& db, TvkWhenStart when) {
    return ForEachComponent(db, [when](TvkComponent& component, TXMLObject* scope) {
        if (!component.RunApps)
            return true;
        for (int i = 0; i < component.RunApps->Count(); ++i) {
            TvkRunApp& item = *component.RunApps->Items(i);
            if (item.WhenStart != when || !item.IsActive())
                continue;
            const std::string cmdLine = ExpandVariables(scope, item.CmdLine);
            const std::string arg = ExpandVariables(scope, item.Arg);
            const std::string workDir = ExpandVariables(scope, item.WorkDir);
            const std::string msg = ExpandVariables(scope, item.Msg);
            TVkApplicationItem record = {cmdLine.c_str(), arg.c_str(),
                                         workDir.c_str(), int32_t(item.ShowCmd),
                                         msg.c_str(),     ApplicationRecordWhen(when)};
            if (ItemVetoed(TItemKind::Applications, &record))
                continue;
            if (when == TvkWhenStart::BeforeInstall || when == TvkWhenStart::AfterInstall)
                Run(item, cmdLine, arg, workDir);
            else
                InstallLog().Write(when == TvkWhenStart::BeforeUninstall ? TLogSection::PreRunApp
                                                                         : TLogSection::RunApp,
                                   IntToStr(uninstallRecords++),
                                   ApplicationLogRecord(cmdLine, arg, workDir, item.ShowCmd, msg,
                                                        !item.Flags.Contains(TvkFlag::DontWait)));
            ItemDone(TItemKind::Applications, &record);
        }
        return true;
    });
}

void LogUninstallApplications(TvkMainDatabase& db) {
    for (TvkWhenStart when : {TvkWhenStart::BeforeUninstall, TvkWhenStart::AfterUninstall})
        RunPhase(TItemKind::Applications, true,
                 [&db, when] { return ProcessApplications(db, when); });
}

} // namespace velk
