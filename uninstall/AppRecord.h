#pragma once

#include <string>
#include <string_view>

namespace velk {

// How a program of the log's "PreRunApp" and "RunApp" sections shows its window.
enum class TAppShow { Hide, Normal, Maximized, Minimized };

struct TAppRecord {
    std::string CmdLine;
    std::string Args;
    std::string WorkDir;
    TAppShow Show = TAppShow::Normal;
    std::string Message;
    bool Wait = true;
};

// Reads an application record "'cmdline','args','workdir',show,'message',wait". The texts are not
// escaped, so a record is only taken when it splits one way: exactly one "',<show>,'" between the
// third and the fifth text, exactly two "','" before it, a show number of 0 to 3 and a wait flag
// of 0 or 1. False for anything else, and for an empty command line.
bool ParseAppRecord(std::string_view text, TAppRecord& record);

} // namespace velk
