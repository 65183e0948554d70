#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/DbCipher.h"
#include "platform/StrUtils.h"
#include "tools/velkpack/BuildError.h"
#include "tools/velkpack/Commands.h"
#include "tools/velkpack/FileInput.h"
#include "tools/velkpack/PackageDatabases.h"
#include "tools/velkpack/PackageDate.h"
#include "tools/velkpack/PackageWriter.h"
#include "tools/velkpack/SourceFolder.h"
#include "tools/velkpack/SplashSettings.h"
#include "tools/velkpack/reader/HostFiles.h"
#include "tools/velkpack/reader/PackageReader.h"
#include "unpack/CabWriter.h"

namespace velk {
namespace {

const char kBuildUsage[] =
    "Usage: velkpack build SRC -o OUT [--stub setup.exe] [--uninstaller Uninstall.exe]\n"
    "                      [--wizard wizard.dll]\n"
    "                      [--compress mszip|none]\n"
    "                      [--date YYYY-MM-DD] [--level 1-9] [--threads N]\n"
    "                      [--splash-seconds N] [--splash-key RRGGBB|none]\n"
    "                      [--splash-opacity PERCENT]\n"
    "\n"
    "Turns the package source folder SRC into a package. When SRC holds main.xml, OUT is a\n"
    "main package: the program (setup.exe) followed by the cabinet and the trailer. The program\n"
    "is the --stub file, by default the setup.exe installed beside velkpack\n"
    "(<velkpack's folder>/../share/velk/setup.exe). Without main.xml, OUT is a further package\n"
    "(.vkp): the cabinet and the trailer.\n"
    "\n"
    "SRC holds db.xml, main.xml (main package only), splash.bmp, presetup.bmp, Uninstall.exe\n"
    "and the folders lng, plugins/N (N = the plug-in's place in db.xml, from 0), presetup and\n"
    "files/<component ID>; only db.xml is required.\n"
    "\n"
    "The standard wizard: a plug-in entry of db.xml with the ID \"wizard\" whose folder\n"
    "plugins/N SRC lacks gets the project's wizard.dll there (N = the entry's place).\n"
    "\n"
    "  -o, --output OUT  the package file to write (replaced only when the build succeeds)\n"
    "  --stub FILE       the program image that leads a main package (SRC needs main.xml)\n"
    "  --uninstaller FILE  the Uninstall.exe a main package carries when main.xml sets the\n"
    "                    variable Uninstall and SRC has none (default: the one beside the stub)\n"
    "  --wizard FILE     the wizard.dll added for the entry \"wizard\" of db.xml (default:\n"
    "                    plugins/wizard.dll beside the stub, or beside the installed setup.exe)\n"
    "  --compress KIND   mszip (default) or none\n"
    "  --level N         MSZIP level, 1 (fastest) to 9 (smallest); default 7\n"
    "  --threads N       threads that compress (default: one per core); the bytes are the same\n"
    "  --date DATE       the package date: every cabinet entry carries it (at 12:00), and the\n"
    "                    databases are enciphered under its day number. Default: the UTC date of\n"
    "                    SOURCE_DATE_EPOCH when that is set, otherwise today\n"
    "  --splash-seconds N       splash.bmp stays at least N seconds (0 to 60; default 2)\n"
    "  --splash-key RRGGBB      the splash's pixels of this colour are cut away, leaving its\n"
    "                           shape (default none)\n"
    "  --splash-opacity PERCENT the splash's opacity on Windows 2000 and XP (default 100)\n"
    "  --help            show this help\n"
    "\n"
    "splash.bmp and presetup.bmp are plain Windows bitmaps (uncompressed); velkpack adds the\n"
    "splash's settings to it. A splash.bmp that already ends in its settings keeps those the\n"
    "options do not change. presetup.bmp shows its pixels of pure green (00FF00) as holes.\n"
    "\n"
    "The same SRC, stub, compression and date give the same bytes. A build that takes more\n"
    "than a second shows its progress on stderr when that is a terminal.\n"
    "\n"
    "Exit codes: 0 built, 1 bad input (message on stderr, nothing written), 2 bad usage.\n";

// Noon keeps the day when a later conversion between local and universal time is an hour off.
constexpr int kEntryHour = 12;
constexpr uint16_t kEntryAttributes = 0x20; // archive

struct TBuildOptions {
    std::string Source;
    std::string Output;
    std::string Stub;
    bool HasStub = false;
    std::string Uninstaller;
    std::string Wizard;
    TCabCompression Compression = TCabCompression::MsZip;
    int Level = CabDefaultLevel;
    unsigned Threads = 0; // one per core
    TCalendarDate Date;
    TSplashOptions Splash;
};

TCalendarDate Today() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    TCalendarDate date;
    date.Year = local->tm_year + 1900;
    date.Month = local->tm_mon + 1;
    date.Day = local->tm_mday;
    return date;
}

// Empty when the options are complete, otherwise the usage mistake.
std::string ParseOptions(const std::vector<std::string>& args, TBuildOptions& options, bool& help) {
    std::vector<std::string> sources;
    std::string date;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= args.size())
                return false;
            target = args[++i];
            return true;
        };
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            sources.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
            return {};
        } else if (arg == "-o" || arg == "--output") {
            if (!value(options.Output))
                return arg + " needs the package file to write";
        } else if (arg == "--stub") {
            if (!value(options.Stub))
                return "--stub needs the program file";
            options.HasStub = true;
        } else if (arg == "--uninstaller") {
            if (!value(options.Uninstaller))
                return "--uninstaller needs the program file";
        } else if (arg == "--wizard") {
            if (!value(options.Wizard))
                return "--wizard needs the plug-in file";
        } else if (arg == "--compress") {
            std::string kind;
            if (!value(kind) || (kind != "mszip" && kind != "none"))
                return "--compress takes mszip or none";
            options.Compression = kind == "none" ? TCabCompression::None : TCabCompression::MsZip;
        } else if (arg == "--splash-seconds" || arg == "--splash-key" ||
                   arg == "--splash-opacity") {
            std::string setting;
            if (!value(setting))
                return arg + " needs a value";
            std::string mistake = ParseSplashOption(arg, setting, options.Splash);
            if (!mistake.empty())
                return mistake;
        } else if (arg == "--level") {
            std::string level;
            if (!value(level) || level.size() != 1 || level[0] < '1' || level[0] > '9')
                return "--level takes a compression level from 1 to 9";
            options.Level = level[0] - '0';
        } else if (arg == "--threads") {
            std::string count;
            if (!value(count) || count.empty() || count.size() > 4 ||
                count.find_first_not_of("0123456789") != std::string::npos || std::stoi(count) < 1)
                return "--threads takes a count of threads (1 or more)";
            options.Threads = unsigned(std::stoi(count));
        } else if (arg == "--date") {
            if (!value(date))
                return "--date needs a date (YYYY-MM-DD)";
            if (!ParseIsoDate(date, options.Date))
                return "--date \"" + date + "\" is no date of the form YYYY-MM-DD";
        } else {
            return "unknown option \"" + arg + "\"";
        }
    }
    if (sources.size() != 1)
        return sources.empty() ? "no source folder given" : "only one source folder can be given";
    options.Source = sources[0];
    if (options.Output.empty())
        return "no output file given (-o OUT)";
    if (date.empty()) {
        const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
        if (epoch != nullptr && *epoch != '\0') {
            if (!EpochDate(epoch, options.Date))
                return Format("SOURCE_DATE_EPOCH \"%s\" is no count of seconds", epoch);
        } else {
            options.Date = Today();
        }
    }
    uint16_t dosDate;
    if (!PackDosDate(options.Date.Year, options.Date.Month, options.Date.Day, dosDate))
        return "the package date " + IsoDateText(options.Date) +
               " lies outside the dates a cabinet can record (1980-01-01 to 2107-12-31)";
    return {};
}

// Where `make install` puts setup.exe: share/velk beside the bin folder velkpack runs from.
std::string DefaultStubPath() {
    const std::string self = ExecutablePath();
    if (self.empty())
        return {};
    namespace fs = std::filesystem;
    return (fs::path(self).parent_path().parent_path() / "share" / "velk" / "setup.exe").string();
}

// The program that leads a main package: --stub, else the installed setup.exe.
std::string StubPath(const TBuildOptions& options, const TSourceFolder& source) {
    std::string path = options.Stub;
    if (!options.HasStub) {
        path = DefaultStubPath();
        std::error_code ignored;
        if (path.empty() || !std::filesystem::is_regular_file(path, ignored))
            throw EBuildError(
                source.MainDatabase + ": a main package needs setup.exe in front of its " +
                "cabinet, but no --stub was given and " +
                (path.empty() ? std::string("velkpack cannot tell its own folder to look for ")
                              : "there is no " + path + ", ") +
                "the setup.exe that \"make install\" puts beside velkpack; give --stub FILE, or "
                "remove main.xml to build a further package");
    }
    return path;
}

std::string ReadStub(const std::string& path) {
    std::string stub;
    std::string error;
    if (!ReadWholeFile(path, stub, error))
        throw EBuildError(error);
    CheckStub(stub, path);
    return stub;
}

// The uninstaller of a main package whose main.xml sets Uninstall and whose folder brings none:
// --uninstaller, else the Uninstall.exe that the build and `make install` put beside setup.exe.
TSourceFile OurUninstaller(const TBuildOptions& options, const std::string& stubPath,
                           const TSourceFolder& source) {
    namespace fs = std::filesystem;
    const std::string path = !options.Uninstaller.empty()
                                 ? options.Uninstaller
                                 : (fs::path(stubPath).parent_path() / "Uninstall.exe").string();
    std::error_code error;
    const uint64_t size = fs::file_size(path, error);
    if (error || !fs::is_regular_file(path, error))
        throw EBuildError(source.MainDatabase + ": the variable Uninstall asks for the " +
                          "uninstaller, but the source folder has no Uninstall.exe and there is " +
                          "no " + path + "; give --uninstaller FILE or put Uninstall.exe into " +
                          "the source folder");
    return {"Uninstall.exe", path, size};
}

bool HasPluginFolder(const std::vector<TSourceFile>& files, const std::string& folder) {
    for (const TSourceFile& file : files)
        if (file.Name.compare(0, folder.size(), folder) == 0)
            return true;
    return false;
}

// The standard wizard for db.xml's entry "wizard" when the source brings no DLL for it:
// --wizard, else plugins/wizard.dll beside setup.exe, where the build and `make install` put it. It
// goes where plugins/N would have been scanned: after the lower-numbered plug-ins.
void AddOurWizard(const TBuildOptions& options, const std::string& stubPath,
                  const TSourceFolder& source, int index, std::vector<TSourceFile>& setupFiles) {
    namespace fs = std::filesystem;
    const std::string folder = "plugins\\" + std::to_string(index) + "\\";
    if (index < 0 || HasPluginFolder(setupFiles, folder))
        return;
    const std::string besideStub = stubPath.empty() ? DefaultStubPath() : stubPath;
    const std::string path =
        !options.Wizard.empty()
            ? options.Wizard
            : (fs::path(besideStub).parent_path() / "plugins" / "wizard.dll").string();
    std::error_code error;
    const uint64_t size = fs::file_size(path, error);
    if (error || !fs::is_regular_file(path, error))
        throw EBuildError(source.PackageDatabase + ": the plug-in \"wizard\" has no plugins/" +
                          std::to_string(index) + " folder and there is no " + path +
                          "; give --wizard FILE or put the plug-in into that folder");
    auto after = [&](const TSourceFile& file) {
        const std::string& name = file.Name;
        if (name.compare(0, 4, "lng\\") == 0)
            return false;
        return name.compare(0, 8, "plugins\\") != 0 ||
               std::stoul(name.substr(8, name.find('\\', 8) - 8)) > unsigned(index);
    };
    setupFiles.insert(std::find_if(setupFiles.begin(), setupFiles.end(), after),
                      {folder + "wizard.dll", path, size});
}

// "velkpack build: 42% (84 of 200 MB)" on stderr, rewritten in place, once a build has taken a
// second, and only on a terminal; wiped when the build ends.
class TProgressLine {
public:
    TProgressLine() : enabled_(StderrIsTerminal()), start_(Clock::now()) {}
    ~TProgressLine() { Clear(); }
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    void Update(uint64_t done, uint64_t total) {
        if (!enabled_ || total == 0)
            return;
        const Clock::time_point now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) ||
            (shown_ && now - last_ < std::chrono::milliseconds(200)))
            return;
        last_ = now;
        shown_ = true;
        const int n = std::fprintf(stderr, "\rvelkpack build: %3u%% (%llu of %llu MB)",
                                   unsigned(done * 100 / total), (unsigned long long)(done >> 20),
                                   (unsigned long long)(total >> 20));
        if (n > 0 && size_t(n) > width_)
            width_ = size_t(n);
        std::fflush(stderr);
    }

    void Clear() {
        if (shown_)
            std::fprintf(stderr, "\r%*s\r", int(width_), "");
        shown_ = false;
        enabled_ = false;
    }

private:
    using Clock = std::chrono::steady_clock;
    bool enabled_;
    bool shown_ = false;
    size_t width_ = 0;
    Clock::time_point start_, last_;
};

int Build(const TBuildOptions& options) {
    TProgressLine progress;
    const TSourceFolder source = ScanSourceFolder(options.Source);
    if (options.HasStub && source.MainDatabase.empty())
        throw EBuildError(options.Source + ": no main.xml: a main package (--stub) carries the "
                                           "main database");
    const bool main = !source.MainDatabase.empty();
    const std::string stubPath = main ? StubPath(options, source) : std::string();
    const std::string stub = main ? ReadStub(stubPath) : std::string();
    bool uninstall = false;
    const std::string mainDatabase =
        main ? ReadMainDatabase(source.MainDatabase, uninstall) : std::string();
    std::vector<TSourceFile> setupFiles = source.SetupFiles;
    if (uninstall && !source.HasUninstaller)
        setupFiles.push_back(OurUninstaller(options, stubPath, source));
    const auto fileInfos = CollectFileInfos(source.ProductFiles);
    bool replaced = false;
    int wizardPlugin = -1;
    const std::string packageDatabase =
        ReadPackageDatabase(source.PackageDatabase, *fileInfos, replaced, wizardPlugin);
    AddOurWizard(options, stubPath, source, wizardPlugin, setupFiles);
    if (replaced)
        std::fprintf(stderr,
                     "velkpack build: %s: its \"fileinfos\" give way to the ones read from the "
                     "files\n",
                     source.PackageDatabase.c_str());

    TCabFileInfo entry;
    PackDosDate(options.Date.Year, options.Date.Month, options.Date.Day, entry.Date);
    PackDosTime(kEntryHour, 0, 0, entry.Time);
    entry.Attributes = kEntryAttributes;
    const int32_t daySerial = DaySerialOf(options.Date);

    TCabWriter cabinet(options.Compression, options.Level);
    cabinet.SetThreads(options.Threads);
    cabinet.SetProgress(
        [&progress](uint64_t done, uint64_t total) { progress.Update(done, total); });
    uint64_t presetupSize = 0;
    uint64_t filesSize = 0;
    auto addData = [&](const char* name, const std::string& plainText) {
        entry.Name = name;
        presetupSize += plainText.size();
        cabinet.AddFile(entry, EncipherBytes(plainText, daySerial));
    };
    auto addFiles = [&](const std::vector<TSourceFile>& files) {
        for (const TSourceFile& file : files) {
            entry.Name = file.Name;
            entry.Size = uint32_t(file.Size);
            (IsProductFile(file.Name) ? filesSize : presetupSize) += file.Size;
            cabinet.AddFile(entry, CabDiskFile(file.Path));
        }
    };
    // The pictures are checked, and the splash gets its settings, before they are packed.
    for (const TSourceFile& picture : source.Pictures) {
        std::string bytes, error;
        if (!ReadWholeFile(picture.Path, bytes, error))
            throw EBuildError(error);
        if (SameText(picture.Name, "splash.bmp"))
            bytes = PrepareSplash(bytes, options.Splash, picture.Path);
        else
            CheckPicture(bytes, picture.Path);
        entry.Name = picture.Name;
        presetupSize += bytes.size();
        cabinet.AddFile(entry, std::move(bytes));
    }
    if (main)
        addData("main.pdb", mainDatabase);
    addData("db.pdb", packageDatabase);
    addFiles(setupFiles);
    addFiles(source.ProductFiles);

    const uint64_t size = WritePackageFile(options.Output, stub, cabinet, presetupSize, filesSize);
    progress.Clear();
    std::printf("%s: %llu bytes; %u files (%llu bytes before \"files\\\", %llu in it); package "
                "date %s (day %d)\n",
                options.Output.c_str(), (unsigned long long)size,
                unsigned(source.Pictures.size() + setupFiles.size() + source.ProductFiles.size() +
                         (main ? 2 : 1)),
                (unsigned long long)presetupSize, (unsigned long long)filesSize,
                IsoDateText(options.Date).c_str(), int(daySerial));
    return kExitOk;
}

} // namespace

int RunBuild(const std::vector<std::string>& args) {
    TBuildOptions options;
    bool help = false;
    std::string mistake = ParseOptions(args, options, help);
    if (help) {
        std::fputs(kBuildUsage, stdout);
        return kExitOk;
    }
    if (!mistake.empty())
        return UsageError("build", mistake);
    try {
        return Build(options);
    } catch (const Exception& e) {
        std::fprintf(stderr, "velkpack build: %s\n", e.what());
        return kExitFailed;
    }
}

} // namespace velk
