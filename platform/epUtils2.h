#pragma once

#include "platform/epFileUtils.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

// File versions: two 32-bit numbers, ms = (major << 16) + minor and ls = (release << 16) + build.
// They order as signed 32-bit numbers, ms first.

// The fixed file information of the file's version resource; false when it has none.
bool GetFileVersion(const std::string& fileName, uint32_t& ms, uint32_t& ls);
// "major.minor.release.build", or an empty text and false.
bool GetFileVersionText(const std::string& fileName, std::string& text);

// -1, 0 or 1. Texts split at runs of dots; missing or invalid words count as 0.
int CompareVersionText(std::string_view a, std::string_view b);
// Is the file on disk newer than the given version (empty: unknown) and date?
bool ExistingFileIsNewer(std::string_view versionText, const std::string& fileName, TDateTime date);
// Is the file on disk the same version (when both are known) with exactly that date?
bool ExistingFileIsSame(std::string_view versionText, const std::string& fileName, TDateTime date);
// Is file a newer than file b? A missing b is always older.
bool IsFileNewer(const std::string& a, const std::string& b);

// Portable pieces of the above.
void PackVersionText(std::string_view text, uint32_t& ms, uint32_t& ls);
std::string VersionToText(uint32_t ms, uint32_t ls);
int CompareVersions(uint32_t ms1, uint32_t ls1, uint32_t ms2, uint32_t ls2);
// The fixed file version of a program image's version resource, read from the image's bytes;
// false when it has none or the image is malformed.
bool ReadImageFileVersion(std::string_view image, uint32_t& ms, uint32_t& ls);

} // namespace velk
