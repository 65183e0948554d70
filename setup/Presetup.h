#pragma once

#include <string>

#include "database/VKClasses.h"
#include "database/VKPredefined.h"

namespace velk {

// What the preparation of packages needs from the run.
struct TPresetupRun {
    std::string WorkFolder; // with a trailing backslash
    bool Silent = false;
    void* Resources = nullptr; // the program's module, with the dialog "DLG_PRESETUP"
};

// Asked when a package file is missing: a folder to look in next (written into folder), or
// false to give up. The plug-ins answer it; while none is loaded a missing file stays missing.
using TGetPackageFolder = bool (*)(const std::string& fileName, std::string& folder);
extern TGetPackageFolder GetPackageFolder;

// Finds the package's file (FilePath), reads its trailer and checks its size; on success sets
// FileName, Folder, PresetupSize and FilesSize. Shows the "File not found" or "Invalid package"
// box on failure.
bool LocatePackage(TvkPackage& package, const TPresetupRun& run);

// Extracts every cabinet file before the folder "files" of each package not yet prepared into
// its folder. False after a box when the disk is too full or a package holds a file name that
// would leave its folder.
bool PreparePackages(TvkPackages& packages, const TPresetupRun& run);

// Deciphers, parses and merges the package's "db.pdb" and sets its variable Presetup. Parse and
// load errors are raised.
void LoadPackageDatabase(TvkPackage& package);

// The deciphered content of a database file, under the key of its last-write date; empty for a
// file that is missing, empty or unreadable.
std::string DecipherFile(const std::string& path);

// The start of a run with its own package (the setup program): the main package added first to
// the database's packages, located, checked and prepared, its "db.pdb" loaded, the main
// database's variables replaced by "main.pdb" and the run-time variables set again. False after
// a box when the package cannot be used; parse and load errors are raised.
bool LoadMainPackage(TvkMainDatabase& db, const std::string& setupPath, const TPresetupRun& run,
                     const TvkRunInfo& info);

} // namespace velk
