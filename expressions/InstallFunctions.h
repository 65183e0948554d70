#pragma once

#include "expressions/Evaluator.h"
#include "platform/epUtils.h"

namespace velk {

// The functions of install conditions over files, versions, dates, texts, the registry and
// the user, registered in their fixed order: Iif, FilePath, FileName, NormalPath, FileVersion,
// FileDate, FileExists, FolderExists, CompareVersion, CompareDate, CompareText, RegKeyExists,
// RegParamExists, RegParam, AskUser, SubStr, FindSubStr, Length, FileSize, Round.
void RegisterInstallFunctions(TvkEvaluator& evaluator);

// The window that owns the questions of AskUser; none while nobody names one.
extern TWindowHandle (*AskUserOwner)();

} // namespace velk
