#include "database/VKVariables.h"
#include "install/InstallLog.h"
#include "install/ItemActions.h"
#include "install/ItemEvents.h"
#include "install/ItemTexts.h"
#include "platform/StrUtils.h"
#include "platform/epComServer.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "plugins/ErrorBox.h"

namespace velk {

namespace {

constexpr const char* RunOnceKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";

std::string SystemFolder(TvkMainDatabase& db) {
    return GetVariable(&db, "System", GetSystemFolder());
}

} // namespace

void ProvideRegsvr32(TvkMainDatabase& db, const std::string& packageFolder) {
    const std::string target = IncludeTrailingBackslash(SystemFolder(db)) + "regsvr32.exe";
    const std::string source = IncludeTrailingBackslash(packageFolder) + "regsvr32.exe";
    if (!FileExists(target) && FileExists(source))
        CopyFileWithProgress(source, target, nullptr, false);
}

bool RegisterComServers(TvkMainDatabase& db, const std::vector<TComServerEntry>& servers) {
    for (const TComServerEntry& server : servers) {
        TVkRegisteredFileItem record = {server.Path.c_str(), 0};
        if (ItemVetoed(TItemKind::ComServers, &record))
            continue;
        if (server.InPlace) {
            if (!RegisterComFile(server.Path))
                ErrorBox("COM server registering error",
                         Format("Cannot register COM server!\r\rAfter install try to register it "
                                "manually:\rregsvr32.exe \"%s\"",
                                server.Path.c_str()));
        } else {
            WriteRegString(RunOnceKey, MakeUniqueRegValueName(RunOnceKey, "Reg"),
                           DeferredRegistrationCommand(SystemFolder(db), server.Path));
        }
        if (server.Logged)
            InstallLog().Write(TLogSection::RegServers, server.Path);
        ItemDone(TItemKind::ComServers, &record);
    }
    return true;
}

} // namespace velk
