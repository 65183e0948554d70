#pragma once

#include <string>
#include <vector>

#include "uninstall/UninstallArgs.h"

namespace velk {

// A running program cannot delete its own file. So the uninstaller copies itself into a new
// private folder below the temporary folder and starts the copy for a clean-up run, handing it a
// handle to its own process; the copy waits for that process to end, deletes the uninstaller and
// removes the folders (the install folder first, then those above it that the installation
// created) while they are empty. The copy and its folder cannot delete themselves either: they
// are left to be deleted when Windows restarts. The private folder holds only the copy, so no
// library planted in the temporary folder sits beside it.
//
// Starts the clean-up run of program; false when it cannot be started, and then the program is
// left to be deleted at the next restart instead.
bool StartSelfRemoval(const std::string& program, const std::vector<std::string>& folders);

// The clean-up run itself; its exit code.
int RunSelfRemoval(const TUninstallArgs& args);

} // namespace velk
