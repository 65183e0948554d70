#include "expressions/EvaluatorSetup.h"

#include <memory>

#include "database/VKVariables.h"
#include "expressions/InstallFunctions.h"
#include "platform/epLocale.h"

namespace velk {

namespace {

std::unique_ptr<TvkEvaluator> runEvaluator;

} // namespace

TvkEvaluator& InitEvaluator(TvkMainDatabase& db) {
    DoneEvaluator();
    runEvaluator = std::make_unique<TvkEvaluator>();
    RegisterInstallFunctions(*runEvaluator);
    runEvaluator->DecimalSeparator = UserDecimalSeparator();
    runEvaluator->VariableExpander = [&db](const std::string& text) {
        return ExpandVariables(&db, text);
    };
    MainEvaluator = runEvaluator.get();
    ConditionEvaluator = EvaluateCondition;
    return *runEvaluator;
}

void DoneEvaluator() {
    ConditionEvaluator = nullptr;
    MainEvaluator = nullptr;
    runEvaluator.reset();
}

} // namespace velk
