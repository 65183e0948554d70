#include "platform/epUtils.h"

#include "platform/epShell.h"

extern char** environ;

// Linux has neither a Windows folder nor shell folders: their paths are empty.

namespace velk {

std::string GetWindowsFolder() {
    return {};
}

std::string GetSystemFolder() {
    return {};
}

void GetEnvironmentList(std::vector<std::string>& strings) {
    strings.clear();
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        strings.emplace_back(*entry);
}

std::string GetSpecialFolder(int32_t) {
    return {};
}

std::string GetPredefinedFolder(int32_t) {
    return {};
}

} // namespace velk
