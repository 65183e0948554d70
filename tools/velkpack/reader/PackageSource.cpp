#include "tools/velkpack/reader/PackageSource.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace velk {

bool TMemoryPackageSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
    if (offset > data_.size() || size > data_.size() - offset)
        return false;
    if (size > 0)
        std::memcpy(buffer, data_.data() + offset, size);
    return true;
}

TFilePackageSource::TFilePackageSource(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw EPackageError("\"" + path + "\" is a folder, not a package file");
    errno = 0;
    file_.open(path, std::ios::binary);
    if (file_)
        file_.seekg(0, std::ios::end);
    const std::streamoff end = file_ ? std::streamoff(file_.tellg()) : -1;
    if (end < 0) {
        const char* reason = errno != 0 ? std::strerror(errno) : "not a readable file";
        throw EPackageError("cannot open \"" + path + "\": " + reason);
    }
    size_ = uint64_t(end);
}

bool TFilePackageSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
    if (offset > size_ || size > size_ - offset)
        return false;
    file_.clear();
    file_.seekg(std::streamoff(offset));
    file_.read(static_cast<char*>(buffer), std::streamsize(size));
    return file_.gcount() == std::streamsize(size);
}

} // namespace velk
