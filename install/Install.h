#pragma once

#include "install/FileInstaller.h"

namespace velk {

// Carries out the installation of the selected components in fixed phases, one item kind per
// phase, telling the plug-ins about every phase and item. True when every phase that ran
// succeeded; a failed phase skips all later ones, and nothing done is undone.
bool RunInstall(TvkMainDatabase& db, const TFileFolders& folders);

} // namespace velk
