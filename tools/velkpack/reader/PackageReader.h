#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "setup/PackageTrailer.h"
#include "tools/velkpack/reader/CabinetReader.h"
#include "tools/velkpack/reader/PackageSource.h"

namespace velk {

// Where the parts of a package file lie, found as setup.exe and unpack.dll find them.
struct TPackageLayout {
    uint64_t FileSize = 0;
    TTrailerSearch Trailer;     // in the last 64 KB
    int64_t CabinetOffset = -1; // first signature in the first 262,128 bytes; -1 for none
};

TPackageLayout ReadPackageLayout(TPackageSource& source);

// Whether the entry lies in the folder "files" ("files\" in any case): the product files, which
// the preparation stage stops at.
bool IsProductFile(std::string_view name);

// What would make setup.exe refuse or mishandle the package, one sentence each; empty for a sound
// one: no cabinet, no trailer or one that does not record the file's size, trailer sizes that
// differ from the cabinet's files, setup-time files after the product files, unsafe entry names.
std::vector<std::string> PackageProblems(const TPackageLayout& layout,
                                         const std::vector<TCabinetEntry>& entries);

// Everything "velkpack list" tells of a package.
struct TPackageListing {
    TPackageLayout Layout;
    std::vector<TCabinetEntry> Entries;
    std::string CabinetError; // the cabinet reader's message when it cannot read the cabinet
    std::vector<std::string> Problems;
};

TPackageListing ListPackage(TPackageSource& source);

// "     12345  2024-05-01 12:00:00  ---a-  name": size, date and time as stored, the attributes
// read-only, hidden, system, archive and execute (other bits follow in hexadecimal), the name.
std::string EntryLine(const TCabinetEntry& entry);

} // namespace velk
