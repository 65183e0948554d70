#pragma once

#include <string>
#include <utility>
#include <vector>

#include "database/VKClasses.h"
#include "database/epXMLParser.h"

namespace velk {

// What eval and plan share: a main database prepared as setup.exe prepares its own, so that
// conditions and variable references give what they would give at install time.

using TVarSettings = std::vector<std::pair<std::string, std::string>>;

// Takes "--var NAME=VALUE" or "--var=NAME=VALUE" at args[i], moving i past a separate value.
// Returns false when args[i] is no --var option; error is set when the value is missing or has
// no name.
bool TakeVarOption(const std::vector<std::string>& args, size_t& i, TVarSettings& vars,
                   std::string& error);

// While it lives, the run's evaluator works over db and conditions count. It defines the
// predefined and run-time variables (the current folder stands for the setup program's
// folder), merges root when given as setup.exe merges its main database and defines them again,
// then sets vars in order. Errors of conditions and expansion propagate.
class TRunVariables {
public:
    TRunVariables(TvkMainDatabase& db, const TXMLTag* root, const TVarSettings& vars);
    ~TRunVariables();
    TRunVariables(const TRunVariables&) = delete;
    TRunVariables& operator=(const TRunVariables&) = delete;
};

} // namespace velk
