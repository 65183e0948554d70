#pragma once

#include <string>

#include "database/VKClasses.h"

namespace velk {

// What an uninstallable installation leaves for its uninstaller and for the next installation of
// the product, beside the entries the phases log.

// Removes what the log of an earlier installation at the same path created that a new
// installation replaces: shortcuts, empty created folders, the product's uninstall key.
void RemoveOldReferences(const std::string& logPath);

// Copies "Uninstall.exe" from the package folder into the install folder unless the one there
// is as new; false when the copy failed.
bool CopyUninstaller(const std::string& packageFolder, const std::string& installFolder);

// Writes the texts the uninstaller shows, saves the log and then lists the product among the
// installed programs (when its uninstaller is in place). False, with nothing listed, when the
// log could not be saved.
bool RegisterUninstall(TvkMainDatabase& db, const std::string& installFolder);

} // namespace velk
