#include "platform/epFullPath.h"

#include "platform/win/WindowsSupport.h"
#include "platform/win/epFullPathApi.h"

namespace velk {

TFullPathApi FullPathApi;

std::string ExpandFileName(const std::string& path) {
    char buffer[MAX_PATH];
    char* name = nullptr;
    DWORD n = FullPathApi.GetFullPathNameA(path.c_str(), MAX_PATH, buffer, &name);
    if (n == 0)
        return path;
    if (n < MAX_PATH)
        return std::string(buffer, n);
    // A longer result: n is the size it needs, terminating zero included.
    std::string longer(n, '\0');
    n = FullPathApi.GetFullPathNameA(path.c_str(), DWORD(longer.size()), &longer[0], &name);
    if (n == 0 || n >= longer.size())
        return path;
    longer.resize(n);
    return longer;
}

} // namespace velk
