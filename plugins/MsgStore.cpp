#include "plugins/MsgStore.h"

#include "platform/StrUtils.h"

namespace velk {

namespace {

struct TBuiltIn {
    int32_t Id;
    const char* Name;
};

constexpr TBuiltIn kBuiltIns[] = {
    {EV_SETSTARTUPINFO, "EV_SETSTARTUPINFO"},
    {EV_LOAD, "EV_LOAD"},
    {EV_UNLOAD, "EV_UNLOAD"},
    {EV_START, "EV_START"},
    {EV_FINISH, "EV_FINISH"},
    {EV_SHOWDIALOGS, "EV_SHOWDIALOGS"},
    {EV_LANGUAGECHANGED, "EV_LANGUAGECHANGED"},
    {EV_BEFOREINSTALL, "EV_BEFOREINSTALL"},
    {EV_AFTERINSTALL, "EV_AFTERINSTALL"},
    {EV_BEFOREPROCESSITEMS, "EV_BEFOREPROCESSITEMS"},
    {EV_AFTERPROCESSITEMS, "EV_AFTERPROCESSITEMS"},
    {EV_BEFOREPROCESSITEM, "EV_BEFOREPROCESSITEM"},
    {EV_AFTERPROCESSITEM, "EV_AFTERPROCESSITEM"},
    {EV_PROCESSITEM, "EV_PROCESSITEM"},
    {EV_FILEINSTALLPROGRESS, "EV_FILEINSTALLPROGRESS"},
    {EV_FEATURESTATECHANGED, "EV_FEATURESTATECHANGED"},
    {EV_INSTALLTYPECHANGED, "EV_INSTALLTYPECHANGED"},
    {EV_VERSIONCONFLICT, "EV_VERSIONCONFLICT"},
    {EV_GETPACKAGE, "EV_GETPACKAGE"},
    {EV_CHECKLAUNCHCONDITIONS, "EV_CHECKLAUNCHCONDITIONS"},
    {CM_ABORTINSTALL, "CM_ABORTINSTALL"},
    {CM_SUSPENDINSTALL, "CM_SUSPENDINSTALL"},
    {CM_RESUMEINSTALL, "CM_RESUMEINSTALL"},
    {CM_PARSETEXT, "CM_PARSETEXT"},
    {CM_GETLANGUAGE, "CM_GETLANGUAGE"},
    {CM_SETLANGUAGE, "CM_SETLANGUAGE"},
    {CM_GETVARIABLE, "CM_GETVARIABLE"},
    {CM_SETVARIABLE, "CM_SETVARIABLE"},
    {CM_GETFEATURE, "CM_GETFEATURE"},
    {CM_GETFEATURESTATE, "CM_GETFEATURESTATE"},
    {CM_SETFEATURESTATE, "CM_SETFEATURESTATE"},
    {CM_GETINSTALLTYPE, "CM_GETINSTALLTYPE"},
    {CM_SETINSTALLTYPE, "CM_SETINSTALLTYPE"},
};

} // namespace

int32_t TMsgStore::IdOf(std::string_view name) {
    for (const TBuiltIn& b : kBuiltIns)
        if (SameText(b.Name, name))
            return b.Id;
    for (const TEntry& e : entries_)
        if (SameText(e.Name, name))
            return e.Id;
    entries_.push_back({std::string(name), ++counter_});
    return counter_;
}

const char* TMsgStore::NameOf(int32_t id) const {
    for (const TBuiltIn& b : kBuiltIns)
        if (b.Id == id)
            return b.Name;
    for (const TEntry& e : entries_)
        if (e.Id == id)
            return e.Name.c_str();
    return nullptr;
}

} // namespace velk
