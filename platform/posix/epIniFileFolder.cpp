#include "platform/epIniFile.h"

namespace velk {

std::string IniDefaultFolder() {
    return std::string();
}

} // namespace velk
