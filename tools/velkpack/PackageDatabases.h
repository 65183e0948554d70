#pragma once

#include <memory>
#include <string>
#include <vector>

#include "database/VKClasses.h"
#include "tools/velkpack/SourceFolder.h"

namespace velk {

// The two databases of a package, read and checked as setup.exe will load them: parsed with its
// parser options and loaded into the engine's objects. Errors throw EBuildError naming the file,
// with the parser's or loader's message.

// main.xml, whose text is enciphered as it stands. uninstall tells whether its variable
// "Uninstall" is true as written (conditions are not asked).
std::string ReadMainDatabase(const std::string& path, bool& uninstall);

// db.xml with its "fileinfos" element replaced by fileInfos (when db.xml has one, `replaced` is
// set), written back as XML text. Everything else of the author's tree is kept, comments and
// unknown elements included. wizardPlugin is the place of the plug-in entry with the ID
// "wizard" and no DebugDll (-1 when there is none).
std::string ReadPackageDatabase(const std::string& path, const TvkFileInfos& fileInfos,
                                bool& replaced, int& wizardPlugin);

// A fileinfo for every product file: its name below "files\", its size, the version of its
// version resource and, for a .ttf, .otf or .ttc file, the font's full name.
std::unique_ptr<TvkFileInfos> CollectFileInfos(const std::vector<TSourceFile>& productFiles);

} // namespace velk
