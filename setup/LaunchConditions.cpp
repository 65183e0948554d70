#include "setup/LaunchConditions.h"

#include "database/VKVariables.h"
#include "platform/epNTSecurity.h"
#include "platform/epUtils.h"
#include "plugins/Msg.h"
#include "plugins/VKPlugins.h"
#include "setup/LaunchRules.h"

namespace velk {

namespace {

constexpr int MessageAdminRights = 10;
constexpr int MessageUnsupportedSystem = 13;
constexpr int MessageSystemTooOld = 14;

} // namespace

bool CheckLaunchConditions(TvkMainDatabase& db) {
    const std::string minimum = GetVariable(&db, "MinOSVersion", "");
    switch (CheckSystem(GetVariable(&db, "SupportedOS", ""), minimum, OSVersion())) {
    case TLaunchVerdict::UnsupportedSystem:
        ShowWarning(GetMessageText(MessageUnsupportedSystem));
        return false;
    case TLaunchVerdict::SystemTooOld:
        ShowWarning(GetMessageText(MessageSystemTooOld, {minimum}));
        return false;
    case TLaunchVerdict::Pass:
        break;
    }
    if (GetVariableBool(&db, "AdminRights", false) && !IsAdmin()) {
        ShowWarning(GetMessageText(MessageAdminRights));
        return false;
    }
    return RaiseEvent(EV_CHECKLAUNCHCONDITIONS, 0, nullptr, TStopMode::First) == 0;
}

} // namespace velk
