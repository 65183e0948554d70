#include "uninstall/LogPaths.h"

#include "platform/StrUtils.h"

namespace velk {
namespace {

constexpr size_t kMaxPath = 259; // MAX_PATH less the terminating zero
constexpr std::string_view kUninstallArea =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool IsDeviceName(std::string_view level) {
    // "CON", "nul.txt", "COM1 .log": the system opens the device whatever follows the name.
    std::string base = UpperCase(TrimRight(level.substr(0, level.find('.'))));
    static constexpr std::string_view kNames[] = {"CON",    "PRN",    "AUX",    "NUL",
                                                  "CLOCK$", "CONIN$", "CONOUT$"};
    for (std::string_view name : kNames)
        if (base == name)
            return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

bool IsSafeLevel(std::string_view level) {
    // The system drops a level's trailing dots and blanks, so such a level may name another one;
    // this also keeps out "." and "..".
    if (level.empty() || level.back() == '.' || level.back() == ' ')
        return false;
    for (char c : level) {
        if (static_cast<unsigned char>(c) < 32)
            return false;
        if (std::string_view("<>:\"/|?*").find(c) != std::string_view::npos)
            return false;
    }
    return !IsDeviceName(level);
}

// Counts the levels of rest, separated by single backslashes; -1 when one is not safe.
int CountSafeLevels(std::string_view rest) {
    int count = 0;
    while (true) {
        const size_t slash = rest.find('\\');
        if (!IsSafeLevel(rest.substr(0, slash)))
            return -1;
        ++count;
        if (slash == std::string_view::npos)
            return count;
        rest.remove_prefix(slash + 1);
    }
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool IsSafeLogPath(std::string_view path) {
    if (path.size() > kMaxPath)
        return false;
    if (path.size() >= 4 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return CountSafeLevels(path.substr(3)) >= 1;
    // Server and share, then at least one name inside the share.
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\')
        return CountSafeLevels(path.substr(2)) >= 3;
    return false;
}

bool IsSafeRegKeyPath(std::string_view path) {
    const size_t slash = path.find('\\');
    if (slash == std::string_view::npos)
        return false;
    const std::string_view root = path.substr(0, slash);
    if (!SameText(root, "HKCR") && !SameText(root, "HKCU") && !SameText(root, "HKLM") &&
        !SameText(root, "HKU"))
        return false;
    std::string_view rest = path.substr(slash + 1);
    if (rest.empty() || rest.back() == '\\' || rest.front() == '\\' ||
        rest.find("\\\\") != std::string_view::npos)
        return false;
    for (char c : rest)
        if (static_cast<unsigned char>(c) < 32)
            return false;
    return true;
}

bool IsUninstallEntryKey(std::string_view path) {
    if (!IsSafeRegKeyPath(path) || path.size() <= kUninstallArea.size() ||
        !SameText(path.substr(0, kUninstallArea.size()), kUninstallArea))
        return false;
    return path.find('\\', kUninstallArea.size()) == std::string_view::npos;
}

bool IsAncestorFolder(std::string_view folder, std::string_view path) {
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == '\\' &&
           SameText(path.substr(0, folder.size()), folder);
}

} // namespace velk
