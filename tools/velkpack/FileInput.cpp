#include "tools/velkpack/FileInput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace velk {

bool ReadWholeFile(const std::string& path, std::string& data, std::string& error) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        error = "cannot open \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    data.clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        data.append(buffer, n);
    if (std::ferror(file.get())) {
        error = "cannot read \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace velk
