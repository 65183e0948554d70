#pragma once

#include "database/VKClasses.h"

namespace velk {

// The launch conditions of the main database: the supported systems, the minimum system version
// and administrator rights, each refused with its warning from the language file, then the
// plug-ins' own (EV_CHECKLAUNCHCONDITIONS), which refuse without a word. True when all pass.
bool CheckLaunchConditions(TvkMainDatabase& db);

} // namespace velk
