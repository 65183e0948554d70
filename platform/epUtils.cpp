#include "platform/epUtils.h"

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"

#include <cstring>

namespace velk {

std::string MessageTitle;
uint32_t MessageBoxFlags = 0;
TWindowHandle MainWindowHandle = nullptr;

bool IsWin9xFamily(const TOSVersion& os) {
    return os.Kind == osWin95 || os.Kind == osWin98 || os.Kind == osWinMe;
}

TOSVersion DescribeOSVersion(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                             std::string_view servicePack) {
    static const char* const kindTexts[] = {"32s", "95", "98", "NT", "2000", "Me", "XP"};
    constexpr uint32_t Win9xPlatform = 1, NTPlatform = 2;
    TOSVersion os;
    os.Major = static_cast<int32_t>(major);
    os.Minor = static_cast<int32_t>(minor);
    os.Build = static_cast<int32_t>(build);
    if (platformId == Win9xPlatform) {
        os.Kind = osWin95;
        if (major == 4 && minor > 0)
            os.Kind = osWin98;
        if (major > 4 || (major == 4 && minor >= 90))
            os.Kind = osWinMe;
        // The high word of a 9x build number repeats the version.
        os.Build = static_cast<int32_t>(build & 0xFFFF);
    } else if (platformId == NTPlatform) {
        os.Kind = osWinNT;
        if (major > 4)
            os.Kind = minor > 0 ? osWinXP : osWin2000;
    }
    os.Version = Format(minor == 0 ? "%d.%d" : "%d.%.2d", os.Major, os.Minor);
    os.ServicePack = std::string(servicePack);
    os.Description = Trim(Format("Windows %s %s.%.4d %s", kindTexts[os.Kind], os.Version.c_str(),
                                 os.Build, os.ServicePack.c_str()));
    return os;
}

TRect CenteredWindowRect(const TRect& workArea, const TRect& window, int32_t screenWidth,
                         int32_t screenHeight) {
    int32_t width = window.Right - window.Left;
    int32_t height = window.Bottom - window.Top;
    int32_t left = (workArea.Right - workArea.Left - width) / 2 + workArea.Left;
    int32_t top = (workArea.Bottom - workArea.Top - height) / 2 + workArea.Top;
    if (left + width > screenWidth)
        left = screenWidth - width;
    if (left < 0)
        left = 0;
    if (top + height > screenHeight)
        top = screenHeight - height;
    if (top < 0)
        top = 0;
    return TRect{left, top, left + width, top + height};
}

std::string ChooseTempFolder(std::string_view tempPath, std::string_view currentFolder,
                             bool win9xFamily, std::string_view windowsFolder) {
    std::string temp = IncludeTrailingBackslash(tempPath);
    // The system answers with the current folder when no temporary folder is configured.
    if (!temp.empty() && !SameText(temp, IncludeTrailingBackslash(currentFolder)))
        return temp;
    if (win9xFamily && !windowsFolder.empty())
        return IncludeTrailingBackslash(windowsFolder) + "Temp\\";
    return "C:\\Temp\\";
}

std::vector<std::string> SplitEnvironmentBlock(const char* block) {
    std::vector<std::string> entries;
    if (block == nullptr)
        return entries;
    for (const char* p = block; *p != '\0'; p += std::strlen(p) + 1)
        entries.emplace_back(p);
    return entries;
}

} // namespace velk
