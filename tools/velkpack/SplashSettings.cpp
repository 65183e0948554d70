#include "tools/velkpack/SplashSettings.h"

#include <cstdlib>

#include "platform/StrUtils.h"
#include "tools/velkpack/BuildError.h"

namespace velk {

namespace {

bool ParseNumber(const std::string& text, int32_t low, int32_t high, int32_t& number) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        return false;
    number = int32_t(value);
    return true;
}

// "RRGGBB" as the system's colour value 0x00BBGGRR.
bool ParseColour(const std::string& text, int32_t& colour) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long rgb = std::strtoul(text.c_str(), nullptr, 16);
    colour = int32_t((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
    return true;
}

} // namespace

std::string ParseSplashOption(const std::string& option, const std::string& value,
                              TSplashOptions& options) {
    int32_t number = 0;
    if (option == "--splash-seconds") {
        if (!ParseNumber(value, 0, MaxSplashSeconds, number))
            return Format("--splash-seconds takes a whole number of seconds from 0 to %d",
                          int(MaxSplashSeconds));
        options.DisplaySeconds = number;
    } else if (option == "--splash-key") {
        if (value == "none")
            number = -1;
        else if (!ParseColour(value, number))
            return "--splash-key takes a colour as RRGGBB (hexadecimal) or none";
        options.KeyColour = number;
    } else {
        if (!ParseNumber(value, 1, 100, number))
            return "--splash-opacity takes a percentage from 1 to 100";
        options.Opacity = number;
    }
    return {};
}

void CheckPicture(const std::string& bytes, const std::string& path) {
    const std::string problem = BitmapProblem(bytes, bytes.size());
    if (!problem.empty())
        throw EBuildError(path + ": setup.exe would not show it: " + problem);
}

std::string PrepareSplash(const std::string& bytes, const TSplashOptions& options,
                          const std::string& path) {
    TSplashTrailer trailer;
    trailer.DisplaySeconds = 2;
    std::string bitmap = bytes;
    // A bitmap whose own size leaves exactly a trailer after it carries one already.
    const uint32_t own = BitmapFileSize(bytes);
    if (own > 0 && uint64_t(own) + SplashTrailerSize == bytes.size() &&
        BitmapProblem(bytes, own).empty()) {
        ReadSplashTrailer(bytes, trailer);
        bitmap.resize(own);
    }
    CheckPicture(bitmap, path);
    trailer.DisplaySeconds = options.DisplaySeconds.value_or(trailer.DisplaySeconds);
    trailer.KeyColour = options.KeyColour.value_or(trailer.KeyColour);
    trailer.Opacity = options.Opacity.value_or(trailer.Opacity);
    return bitmap + SplashTrailerBytes(trailer);
}

std::string DescribeSplash(const std::string& file) {
    TSplashTrailer trailer;
    if (!ReadSplashTrailer(file, trailer))
        return "too short for its settings";
    std::string text = Format("at least %d s", int(trailer.DisplaySeconds));
    if (trailer.KeyColour == -1)
        text += ", no key colour";
    else
        text += Format(", key colour #%02X%02X%02X", unsigned(trailer.KeyColour & 0xFF),
                       unsigned(trailer.KeyColour >> 8 & 0xFF),
                       unsigned(trailer.KeyColour >> 16 & 0xFF));
    text += Format(", opacity %d%%", int(trailer.Opacity));
    if (!BitmapProblem(file, file.size() - SplashTrailerSize).empty())
        text += " (the picture is not a bitmap setup.exe would show)";
    return text;
}

} // namespace velk
