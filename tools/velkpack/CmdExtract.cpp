#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "setup/EntryName.h"
#include "tools/velkpack/Commands.h"
#include "tools/velkpack/reader/HostFiles.h"
#include "tools/velkpack/reader/PackageReader.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

const char kExtractUsage[] =
    "Usage: velkpack extract PACKAGE DIR\n"
    "\n"
    "Extracts every entry of the package's cabinet below DIR (created when missing), in cabinet\n"
    "order, each file with the cabinet's date and time (taken as local time) as its last-write\n"
    "time, as setup.exe extracts it; attributes are not applied. Existing files are replaced.\n"
    "A package with an entry name that could leave DIR (\"..\", a drive, a leading backslash)\n"
    "is refused before anything is written.\n"
    "\n"
    "Exit codes: 0 extracted, 1 a package that cannot be extracted, 2 bad usage or unreadable\n"
    "file.\n";

// The entry's place below the folder; the name has passed UnsafeEntryNameReason.
fs::path Destination(const fs::path& folder, const std::string& name) {
    fs::path path = folder;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = name.size();
        path /= name.substr(start, end - start);
        start = end + 1;
    }
    return path;
}

// Writes one entry; a file left unfinished is removed.
class TFileSink : public TEntrySink {
public:
    TFileSink(fs::path path, const TCabinetEntry& entry) : path_(std::move(path)), entry_(entry) {
        std::error_code error;
        fs::create_directories(path_.parent_path(), error);
        if (error)
            throw EPackageError("cannot create the folder \"" + path_.parent_path().string() +
                                "\": " + error.message());
        errno = 0;
        out_.open(path_, std::ios::binary | std::ios::trunc);
        if (!out_)
            Fail("cannot create");
    }
    ~TFileSink() override {
        if (finished_)
            return;
        out_.close();
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    void Write(const uint8_t* data, size_t size) override {
        out_.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        if (!out_)
            Fail("cannot write");
    }
    void Finish() override {
        out_.close();
        if (!out_)
            Fail("cannot write");
        if (!SetLastWriteDosTime(path_.string(), entry_.Date, entry_.Time))
            Fail("cannot set the date of");
        finished_ = true;
    }

private:
    [[noreturn]] void Fail(const char* what) {
        std::string reason = errno != 0 ? std::strerror(errno) : "the system refused";
        throw EPackageError(std::string(what) + " \"" + path_.string() + "\": " + reason);
    }

    fs::path path_;
    TCabinetEntry entry_;
    std::ofstream out_;
    bool finished_ = false;
};

int Extract(TPackageSource& source, const std::string& folder) {
    const TPackageLayout layout = ReadPackageLayout(source);
    if (layout.CabinetOffset < 0)
        throw EPackageError("no cabinet in the first bytes of the file");
    const uint64_t offset = uint64_t(layout.CabinetOffset);
    for (const TCabinetEntry& entry : ListCabinet(source, offset)) {
        const std::string unsafe = UnsafeEntryNameReason(entry.Name);
        if (!unsafe.empty())
            throw EPackageError("refused, nothing extracted: entry \"" + entry.Name +
                                "\": " + unsafe);
    }
    unsigned count = 0;
    uint64_t bytes = 0;
    ExtractCabinet(source, offset, [&](const TCabinetEntry& entry) {
        ++count;
        bytes += entry.Size;
        return std::make_unique<TFileSink>(Destination(folder, entry.Name), entry);
    });
    std::printf("%s: %u files, %llu bytes\n", folder.c_str(), count, (unsigned long long)bytes);
    return kExitOk;
}

} // namespace

int RunExtract(const std::vector<std::string>& args) {
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kExtractUsage, stdout);
            return kExitOk;
        } else {
            return UsageError("extract", "unknown option \"" + arg + "\"");
        }
    }
    if (operands.size() != 2)
        return UsageError("extract", "give the PACKAGE and the folder DIR");
    std::unique_ptr<TFilePackageSource> source;
    try {
        source = std::make_unique<TFilePackageSource>(operands[0]);
    } catch (const EPackageError& e) {
        std::fprintf(stderr, "velkpack extract: %s\n", e.what());
        return kExitUsage;
    }
    try {
        return Extract(*source, operands[1]);
    } catch (const EPackageError& e) {
        std::fprintf(stderr, "velkpack extract: %s: %s\n", operands[0].c_str(), e.what());
        return kExitFailed;
    }
}

} // namespace velk
