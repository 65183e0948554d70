#include "tools/velkpack/PackageWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/StrUtils.h"
#include "setup/PackageTrailer.h"
#include "tools/velkpack/BuildError.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

// Removes the file unless released: the temporary output on every way out but success.
class TTemporaryFile {
public:
    explicit TTemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TTemporaryFile() {
        std::error_code ignored;
        if (!path_.empty())
            fs::remove(path_, ignored);
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    const std::string& Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

std::string TemporaryNameBeside(const std::string& path) {
    std::random_device random;
    return path + Format(".%08x%08x.tmp", unsigned(random()), unsigned(random()));
}

} // namespace

void CheckStub(const std::string& stub, const std::string& path) {
    if (stub.size() >= CabinetSearchLimit)
        throw EBuildError(Format("%s: %llu bytes; the cabinet would begin at byte %llu, but "
                                 "setup.exe looks for it only in the first %u bytes",
                                 path.c_str(), (unsigned long long)stub.size(),
                                 (unsigned long long)stub.size(), unsigned(CabinetSearchLimit)));
    const int64_t signature =
        FindCabinetStart(reinterpret_cast<const uint8_t*>(stub.data()), stub.size());
    if (signature >= 0)
        throw EBuildError(Format("%s: holds a cabinet signature (\"MSCF\" and four zero bytes) at "
                                 "offset %lld, which setup.exe would take for the package's "
                                 "cabinet",
                                 path.c_str(), (long long)signature));
}

uint64_t WritePackageFile(const std::string& path, const std::string& stub,
                          const TCabWriter& cabinet, uint64_t presetupSize, uint64_t filesSize) {
    TTemporaryFile temporary(TemporaryNameBeside(path));
    errno = 0;
    std::ofstream out(temporary.Path(), std::ios::binary | std::ios::trunc);
    if (!out)
        throw EBuildError(Format("cannot create \"%s\": %s", path.c_str(),
                                 errno != 0 ? std::strerror(errno) : "cannot open it"));
    out.write(stub.data(), std::streamsize(stub.size()));
    const uint64_t size = stub.size() + uint64_t(cabinet.Write(out)) + PackageTrailerSize;
    if (size > UINT32_MAX || presetupSize > UINT32_MAX || filesSize > UINT32_MAX)
        throw EBuildError(Format("%s: the package would be %llu bytes, more than its trailer can "
                                 "record",
                                 path.c_str(), (unsigned long long)size));
    TPackageTrailer trailer;
    trailer.PackageSize = uint32_t(size);
    trailer.PresetupSize = uint32_t(presetupSize);
    trailer.FilesSize = uint32_t(filesSize);
    uint8_t bytes[PackageTrailerSize];
    EncodePackageTrailer(trailer, bytes);
    out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    out.close();
    if (!out)
        throw EBuildError(Format("cannot write \"%s\"", temporary.Path().c_str()));
    std::error_code error;
    fs::rename(temporary.Path(), path, error);
    if (error)
        throw EBuildError(
            Format("cannot create \"%s\": %s", path.c_str(), error.message().c_str()));
    temporary.Release();
    return size;
}

} // namespace velk
