#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/StrUtils.h"
#include "tools/velkpack/Commands.h"
#include "tools/velkpack/SplashSettings.h"
#include "tools/velkpack/reader/PackageReader.h"

namespace velk {
namespace {

const char kListUsage[] =
    "Usage: velkpack list PACKAGE\n"
    "\n"
    "Prints what setup.exe finds in a package file (a main package or a .vkp): the trailer,\n"
    "where the cabinet begins, and the cabinet's entries in order with their size, date and\n"
    "time as stored, attributes (r read-only, h hidden, s system, a archive, x execute) and\n"
    "name. Problems that would make setup.exe refuse or mishandle the package (no trailer, a\n"
    "size that differs from the trailer's, setup-time files after the product files, unsafe\n"
    "entry names) follow on stderr. A package with a splash picture also shows its settings.\n"
    "\n"
    "Exit codes: 0 a sound package, 1 a package with problems, 2 bad usage or unreadable file.\n";

void PrintTrailer(const TTrailerSearch& found) {
    if (!found.Found) {
        std::printf("trailer:  none\n");
        return;
    }
    std::printf("trailer:  PackageSize %u, PresetupSize %u, FilesSize %u",
                unsigned(found.Trailer.PackageSize), unsigned(found.Trailer.PresetupSize),
                unsigned(found.Trailer.FilesSize));
    if (found.Appended > 0)
        std::printf("; %llu bytes after it", (unsigned long long)found.Appended);
    std::printf("\n");
}

// A memory sink for one entry.
class TBytesSink : public TEntrySink {
public:
    explicit TBytesSink(std::string& bytes) : bytes_(bytes) {}
    void Write(const uint8_t* data, size_t size) override {
        bytes_.append(reinterpret_cast<const char*>(data), size);
    }
    void Finish() override {}

private:
    std::string& bytes_;
};

void PrintSplash(const std::string& path, const TPackageListing& listing) {
    if (listing.Layout.CabinetOffset < 0 || !listing.CabinetError.empty())
        return;
    bool present = false;
    for (const TCabinetEntry& entry : listing.Entries)
        present = present || SameText(entry.Name, "splash.bmp");
    if (!present)
        return;
    std::string splash;
    try {
        TFilePackageSource source(path);
        ExtractCabinet(source, uint64_t(listing.Layout.CabinetOffset),
                       [&splash](const TCabinetEntry& entry) -> std::unique_ptr<TEntrySink> {
                           if (!SameText(entry.Name, "splash.bmp"))
                               return nullptr;
                           return std::make_unique<TBytesSink>(splash);
                       });
    } catch (const Exception&) {
        return; // the listing already says what is wrong with the cabinet
    }
    std::printf("splash:   %s\n", DescribeSplash(splash).c_str());
}

} // namespace

int RunList(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kListUsage, stdout);
            return kExitOk;
        } else {
            return UsageError("list", "unknown option \"" + arg + "\"");
        }
    }
    if (files.size() != 1)
        return UsageError("list",
                          files.empty() ? "no PACKAGE given" : "only one PACKAGE can be given");
    const std::string& path = files[0];

    TPackageListing listing;
    try {
        TFilePackageSource source(path);
        listing = ListPackage(source);
    } catch (const EPackageError& e) {
        std::fprintf(stderr, "velkpack list: %s\n", e.what());
        return kExitUsage;
    }
    std::printf("package:  %s, %llu bytes\n", path.c_str(),
                (unsigned long long)listing.Layout.FileSize);
    PrintTrailer(listing.Layout.Trailer);
    PrintSplash(path, listing);
    if (listing.Layout.CabinetOffset < 0)
        std::printf("cabinet:  none\n");
    else
        std::printf("cabinet:  at byte %lld, %u files\n", (long long)listing.Layout.CabinetOffset,
                    unsigned(listing.Entries.size()));
    for (const TCabinetEntry& entry : listing.Entries)
        std::printf("%s\n", EntryLine(entry).c_str());
    std::fflush(stdout);

    if (!listing.CabinetError.empty())
        std::fprintf(stderr, "velkpack list: %s: the cabinet cannot be read: %s\n", path.c_str(),
                     listing.CabinetError.c_str());
    for (const std::string& problem : listing.Problems)
        std::fprintf(stderr, "velkpack list: %s: %s\n", path.c_str(), problem.c_str());
    return listing.CabinetError.empty() && listing.Problems.empty() ? kExitOk : kExitFailed;
}

} // namespace velk
