#pragma once

#include "database/VKClasses.h"
#include "expressions/Evaluator.h"

namespace velk {

// Creates the run's single evaluator over the main database: the install functions, operands
// expanded with the database's variables, numbers in the user's decimal separator; it becomes
// MainEvaluator and the database's condition evaluator. Replaces one created before.
TvkEvaluator& InitEvaluator(TvkMainDatabase& db);
// Frees the evaluator; conditions count as true again.
void DoneEvaluator();

} // namespace velk
