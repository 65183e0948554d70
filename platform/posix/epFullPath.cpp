#include "platform/epFullPath.h"

#include <climits>
#include <unistd.h>

namespace velk {

std::string ExpandFileName(const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    char folder[PATH_MAX];
    if (::getcwd(folder, sizeof folder) == nullptr)
        return path;
    return std::string(folder) + "/" + path;
}

} // namespace velk
