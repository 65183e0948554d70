#pragma once

#include <cstdint>
#include <string>

#include "unpack/CabWriter.h"

namespace velk {

// Refuses a program image that would hide the package's cabinet from setup.exe: one that ends at
// or past the last place the cabinet may begin, or holds the cabinet signature itself. Throws
// EBuildError naming `path`.
void CheckStub(const std::string& stub, const std::string& path);

// Writes the package (stub, cabinet, trailer) to a temporary file beside `path` and renames it to
// `path` only when all went well, so a failure leaves no output behind. Returns the package size.
uint64_t WritePackageFile(const std::string& path, const std::string& stub,
                          const TCabWriter& cabinet, uint64_t presetupSize, uint64_t filesSize);

} // namespace velk
