#pragma once

#include <string>
#include <vector>

#include "database/VKClasses.h"
#include "install/FileInstaller.h"

namespace velk {

// The item actions of the phases after the file phase. Each is a phase body: it walks its items
// through the item protocol (condition, expansion, the plug-ins' veto, action, announcement) and
// answers whether the phase succeeded, after showing the box of a failure.

bool InstallRegistryItems(TvkMainDatabase& db);
// Writes every cached INI file after each component's entries; fails also when one could not be
// written.
bool InstallIniItems(TvkMainDatabase& db);
bool InstallShortcuts(TvkMainDatabase& db);

// Copies "regsvr32.exe" from the package folder into the system folder when that lacks it.
void ProvideRegsvr32(TvkMainDatabase& db, const std::string& packageFolder);
// Registers now what is in place, and at the next logon what is only in place after the restart.
// A failed registration shows its box; the phase always succeeds.
bool RegisterComServers(TvkMainDatabase& db, const std::vector<TComServerEntry>& servers);

bool InstallFonts(TvkMainDatabase& db, const std::vector<TFontEntry>& fonts);

// Runs the programs of an install moment, or lists those of an uninstall moment in the log;
// always succeeds.
bool ProcessApplications(TvkMainDatabase& db, TvkWhenStart when);
// Lists the programs to run around uninstalling in the log, each moment as a phase of its own.
void LogUninstallApplications(TvkMainDatabase& db);

} // namespace velk
