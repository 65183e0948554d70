#pragma once

#include <functional>
#include <string>
#include <vector>

#include "uninstall/UninstallPlan.h"

namespace velk {

struct TUndoOutcome {
    int Failures = 0;           // items that stayed although they should have gone
    bool RestartNeeded = false; // files in use, deleted when Windows restarts
};

// Shows a program's message before it runs; not called in a silent run.
using TShowMessage = std::function<void(const std::string& text)>;

// Carries out the steps in order. A missing item counts as removed, a folder or key that is not
// empty stays without counting as a failure, and nothing stops the run.
TUndoOutcome RunUndoSteps(const std::vector<TUndoStep>& steps, const TShowMessage& showMessage);

} // namespace velk
