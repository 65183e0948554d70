#pragma once

#include <optional>
#include <string>

#include "setup/SplashPicture.h"

namespace velk {

// The splash settings an author gives on the command line; unset ones keep what the picture
// carries, or the defaults (2 seconds, no key colour, opaque).
struct TSplashOptions {
    std::optional<int32_t> DisplaySeconds;
    std::optional<int32_t> KeyColour; // 0x00BBGGRR, -1 for none
    std::optional<int32_t> Opacity;
};

// Parses "--splash-seconds", "--splash-key" (RRGGBB or "none") and "--splash-opacity" values;
// empty on success, else the usage mistake.
std::string ParseSplashOption(const std::string& option, const std::string& value,
                              TSplashOptions& options);

// The splash file as the package carries it: the bitmap of `bytes` (a plain bitmap, or one that
// already ends in the 12-byte trailer) followed by the trailer from the options. Throws
// EBuildError naming `path` for a bitmap setup.exe would not show.
std::string PrepareSplash(const std::string& bytes, const TSplashOptions& options,
                          const std::string& path);
// Throws EBuildError naming `path` for a bitmap setup.exe would not show.
void CheckPicture(const std::string& bytes, const std::string& path);

// "at least 2 s, key colour #00FF00, opacity 80%" for a splash file's trailer.
std::string DescribeSplash(const std::string& file);

} // namespace velk
