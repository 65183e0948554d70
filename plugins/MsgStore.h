#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace velk {

// Events, engine to plug-ins.
enum : int32_t {
    EV_SETSTARTUPINFO = 1,
    EV_LOAD,
    EV_UNLOAD,
    EV_START,
    EV_FINISH,
    EV_SHOWDIALOGS,
    EV_LANGUAGECHANGED,
    EV_BEFOREINSTALL,
    EV_AFTERINSTALL,
    EV_BEFOREPROCESSITEMS,
    EV_AFTERPROCESSITEMS,
    EV_BEFOREPROCESSITEM,
    EV_AFTERPROCESSITEM,
    EV_PROCESSITEM,
    EV_FILEINSTALLPROGRESS,
    EV_FEATURESTATECHANGED,
    EV_INSTALLTYPECHANGED,
    EV_VERSIONCONFLICT,
    EV_GETPACKAGE,
    EV_CHECKLAUNCHCONDITIONS,
};

// Commands, plug-ins to engine; 269 and 270 to 272 have no names.
enum : int32_t {
    CM_ABORTINSTALL = 256,
    CM_SUSPENDINSTALL,
    CM_RESUMEINSTALL,
    CM_PARSETEXT,
    CM_GETLANGUAGE,
    CM_SETLANGUAGE,
    CM_GETVARIABLE,
    CM_SETVARIABLE,
    CM_GETFEATURE,
    CM_GETFEATURESTATE,
    CM_SETFEATURESTATE,
    CM_GETINSTALLTYPE,
    CM_SETINSTALLTYPE,
    CM_GETCONFIGVALUE = 270,
    CM_GETCONFIGSECTIONS,
    CM_GETCONFIGKEYS,
};

// The registry of message names: the built-in events and commands, and the names plug-ins
// introduce at run time, numbered from 4096 in order of first use for the rest of the run.
class TMsgStore {
public:
    // The number of the name (case ignored), registered when new.
    int32_t IdOf(std::string_view name);
    // The name of the number; null when it has none.
    const char* NameOf(int32_t id) const;

private:
    struct TEntry {
        std::string Name;
        int32_t Id;
    };
    // The run-time names; the built-in ones are a fixed table. A deque: the name a plug-in is
    // called with stays valid while a command it sends registers further names.
    std::deque<TEntry> entries_;
    int32_t counter_ = 4095;
};

} // namespace velk
