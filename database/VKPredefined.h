#pragma once

#include <string>
#include <vector>

#include "database/VKClasses.h"

namespace velk {

// The variables the system defines itself, each marked Predefined: the environment, system,
// shell and application folders, the date, and for a run the program, system and command line.

// What a run knows of itself when it defines its run-time variables.
struct TvkRunInfo {
    std::string SourceFolder;           // the folder of the running program
    std::vector<std::string> Arguments; // after the program's own path
    std::string LangID = "ENU";         // the current language
};

void InitPredefinedVariables(TvkMainDatabase& db);
// InitPredefinedVariables, then SourcePath, OSPlatform, OSVersion, LangID, QuickLaunch and
// ParamStr.
void InitRuntimeVariables(TvkMainDatabase& db, const TvkRunInfo& run);

// The arguments joined with one blank; one that holds a blank is put back in double quotes.
std::string JoinParamStr(const std::vector<std::string>& arguments);

} // namespace velk
