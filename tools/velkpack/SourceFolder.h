#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velk {

// A file of the package source folder and the name it gets in the cabinet.
struct TSourceFile {
    std::string Name; // backslash-separated
    std::string Path; // on disk
    uint64_t Size = 0;
};

// The package source folder, sorted into the order of the cabinet. Names of the folder itself
// match without regard to case and are stored as the engine spells them; names below them are
// kept as they are.
struct TSourceFolder {
    std::string MainDatabase;              // main.xml; empty when the folder has none
    std::string PackageDatabase;           // db.xml
    std::vector<TSourceFile> Pictures;     // "splash.bmp", then "presetup.bmp"
    std::vector<TSourceFile> SetupFiles;   // "lng\", "plugins\N\", "presetup\", "Uninstall.exe"
    bool HasUninstaller = false;           // the folder brings its own "Uninstall.exe"
    std::vector<TSourceFile> ProductFiles; // "files\<component ID>\..."
};

// Reads the folder's layout; throws EBuildError for a missing folder or db.xml, an entry that is
// not part of the layout, a name that cannot be a Windows file name, or a file that cannot be
// read. Within each folder entries are sorted by name (byte order), plug-in folders by number.
TSourceFolder ScanSourceFolder(const std::string& root);

} // namespace velk
