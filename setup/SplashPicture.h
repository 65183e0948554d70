#pragma once

// The pictures a package shows while it is prepared: "splash.bmp", a Windows bitmap followed by
// a 12-byte trailer with its settings, and "presetup.bmp", a plain bitmap. Both come from the
// package and are checked before the system is given them.

#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

constexpr size_t SplashTrailerSize = 12;
// The longest a splash holds up the run, whatever its trailer asks for.
constexpr int32_t MaxSplashSeconds = 60;

struct TSplashTrailer {
    int32_t DisplaySeconds = 0; // minimum display time
    int32_t KeyColour = -1;     // 0x00BBGGRR to cut away, -1 for none
    int32_t Opacity = 100;      // percent; 100 or more is opaque

    // The minimum display time, limited to MaxSplashSeconds.
    uint32_t MinimumMilliseconds() const;
    // Opacity as a layered window's alpha: 2.55 per percent, rounded.
    uint8_t Alpha() const;
};

// The last 12 bytes of a splash file; false when the file is shorter.
bool ReadSplashTrailer(std::string_view file, TSplashTrailer& trailer);
std::string SplashTrailerBytes(const TSplashTrailer& trailer);

// The bytes of a bitmap file that BitmapProblem reads: its headers and colour masks.
constexpr size_t BitmapHeadSize = 14 + 124 + 12;

// Why a file is not a bitmap that can be shown safely (a header that does not describe it,
// pixels beyond its end, dimensions past 8,192), or empty when it is one. `head` is the start of
// the file (BitmapHeadSize bytes, or all of a shorter file). Bytes after the bitmap (a splash's
// trailer) are allowed.
std::string BitmapProblem(std::string_view head, uint64_t fileSize);

// The size the bitmap's own header gives for the file (bfSize); 0 when there is no header.
uint32_t BitmapFileSize(std::string_view bytes);

} // namespace velk
