#include "setup/LaunchRules.h"

#include <cstdlib>
#include <vector>

#include "platform/StrUtils.h"

namespace velk {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(Trim(text.substr(start, end - start)));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// The tokens a system answers to.
bool Matches(const std::string& token, const TOSVersion& os) {
    if (IsWin9xFamily(os))
        return SameText(token, "9X") || (SameText(token, "95") && os.Kind == osWin95) ||
               (SameText(token, "98") && os.Kind == osWin98) ||
               (SameText(token, "ME") && os.Kind == osWinMe);
    return SameText(token, "NT") || (SameText(token, "NT4") && os.Major == 4) ||
           (SameText(token, "2K") && os.Kind == osWin2000) ||
           (SameText(token, "XP") && os.Kind == osWinXP);
}

// A field of the required version, or the system's own value where it is missing or no number.
int32_t Field(const std::vector<std::string>& fields, size_t index, int32_t own) {
    if (index >= fields.size() || fields[index].empty() ||
        fields[index].find_first_not_of("0123456789") != std::string::npos ||
        fields[index].size() > 9)
        return own;
    return int32_t(std::atoi(fields[index].c_str()));
}

} // namespace

TLaunchVerdict CheckSystem(const std::string& supportedOS, const std::string& minOSVersion,
                           const TOSVersion& os) {
    if (!supportedOS.empty()) {
        bool supported = false;
        for (const std::string& token : Split(supportedOS, ','))
            supported = supported || Matches(token, os);
        if (!supported)
            return TLaunchVerdict::UnsupportedSystem;
    }
    if (!minOSVersion.empty()) {
        const std::vector<std::string> fields = Split(minOSVersion, '.');
        const int32_t major = Field(fields, 0, os.Major);
        const int32_t minor = Field(fields, 1, os.Minor);
        const int32_t build = Field(fields, 2, os.Build);
        const bool recentEnough =
            os.Major > major ||
            (os.Major == major && (os.Minor > minor || (os.Minor == minor && os.Build >= build)));
        if (!recentEnough)
            return TLaunchVerdict::SystemTooOld;
    }
    return TLaunchVerdict::Pass;
}

} // namespace velk
