#include "platform/epIniFile.h"

#include "platform/epUtils.h"

namespace velk {

std::string IniDefaultFolder() {
    return GetWindowsFolder();
}

} // namespace velk
