#include "setup/Presetup.h"

#include <cmath>

#include "database/epXMLParser.h"
#include "platform/DbCipher.h"
#include "platform/StrUtils.h"
#include "platform/epFileHandles.h"
#include "platform/epFileUtils.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "plugins/ErrorBox.h"
#include "setup/EntryName.h"
#include "setup/PackageTrailer.h"
#include "setup/PresetupWindow.h"
#include "setup/Splash.h"
#include "unpack/Unpacker.h"

namespace velk {

TGetPackageFolder GetPackageFolder = nullptr;

namespace {

constexpr char kProductFolder[] = "files\\";
constexpr size_t kProductFolderLength = sizeof kProductFolder - 1;

// Reads the trailer through an open handle; the search never reads past the file's end.
TTrailerSearch ReadTrailer(const std::string& path) {
    TFileHandle file =
        OpenFileHandle(path, FileAccessRead, FileShareRead, FileAttributeNormal, FileOpenExisting);
    if (file <= 0)
        return {};
    TTrailerSearch search;
    const int64_t size = FileHandleSize(file);
    if (size >= 0)
        search = FindPackageTrailer(uint64_t(size), [file](uint64_t offset, uint8_t* buffer,
                                                           size_t count) {
            return SeekFileHandle(file, int64_t(offset), TSeekOrigin::Begin) == int64_t(offset) &&
                   ReadFileHandle(file, buffer, uint32_t(count)) == int32_t(count);
        });
    CloseFileHandle(file);
    return search;
}

bool IsPicture(const std::string& name) {
    return SameText(name, "splash.bmp") || SameText(name, "presetup.bmp");
}

// One package's extraction of its setup-time files, shown in the preparation window.
class TPreparation {
public:
    TPreparation(const TvkPackage& package, const TPresetupRun& run, double total, double& progress)
        : package_(package), run_(run), total_(total), progress_(progress) {}

    int BeforeFile(const std::string& name, std::string& destination) {
        // The pictures come first: the window waits for its own.
        if (!run_.Silent && !PreparationWindowVisible() && !IsPicture(name))
            ShowPreparation();
        const std::string unsafe = UnsafeEntryNameReason(name);
        if (!unsafe.empty()) {
            unsafeName_ = name;
            unsafeReason_ = unsafe;
            return UnpackStop;
        }
        // The product files come last in the cabinet and are the installation's business.
        if (name.size() >= kProductFolderLength &&
            SameText(name.substr(0, kProductFolderLength), kProductFolder))
            return UnpackStop;
        destination = package_.Folder + name;
        ForceDirectories(ExtractFilePath(destination));
        return UnpackExtract;
    }

    void AfterFile(const std::string& name, const std::string& destination) {
        if (run_.Silent || PreparationWindowVisible())
            return;
        if (SameText(name, "splash.bmp"))
            ShowSplash(destination);
        else
            ShowPreparation();
    }

    void Progress(uint32_t blockBytes) {
        progress_ += blockBytes;
        if (total_ > 0)
            SetPreparationProgress(int(std::nearbyint(progress_ / total_ * 100)));
        // A long extraction still lets the windows paint and answer the system, which would
        // otherwise show them as not responding.
        if (!run_.Silent && GetTickCount() - lastPump_ >= 50) {
            ProcessMessages();
            lastPump_ = GetTickCount();
        }
    }

    // A cabinet entry that would be written outside the package folder makes the package unfit
    // to install: nothing is written for it and the preparation fails.
    bool Refused() const {
        if (unsafeName_.empty())
            return false;
        ErrorBox("Invalid package",
                 Format("Package \"%s\" holds the file name \"%s\", which would be written "
                        "outside its folder (%s).\r\rInstallation impossible.",
                        package_.FileName.c_str(), unsafeName_.c_str(), unsafeReason_.c_str()));
        return true;
    }

private:
    void ShowPreparation() {
        ShowPreparationWindow(package_.Folder, package_.FileName,
                              static_cast<HINSTANCE>(run_.Resources));
    }

    const TvkPackage& package_;
    const TPresetupRun& run_;
    const double total_;
    double& progress_;
    DWORD lastPump_ = GetTickCount();
    std::string unsafeName_;
    std::string unsafeReason_;
};

// The splash waits out its minimum display time first.
void ClosePreparationWindows() {
    ClosePreparationWindow();
    CloseSplash();
}

} // namespace

bool LocatePackage(TvkPackage& package, const TPresetupRun& run) {
    std::string folder = ExtractFilePath(package.FilePath);
    const std::string name = ExtractFileName(package.FilePath);
    while (!FileExists(folder + name)) {
        std::string offered = folder;
        if (!GetPackageFolder || !GetPackageFolder(name, offered)) {
            ErrorBox("File not found",
                     Format("File \"%s\" was not found on your computer. Setup is unable to "
                            "proceed.\rIf this problem persists contact the software vendor.",
                            name.c_str()));
            return false;
        }
        folder = IncludeTrailingBackslash(offered);
    }
    package.FilePath = folder + name;
    package.FileName = WithoutExtension(name);

    const TTrailerSearch search = ReadTrailer(package.FilePath);
    package.PresetupSize = search.Trailer.PresetupSize;
    package.FilesSize = search.Trailer.FilesSize;
    const int64_t expected = int64_t(search.Trailer.PackageSize) + int64_t(search.Appended);
    if (!search.Found || GetFileSizeByName(package.FilePath) != expected) {
        ErrorBox("Invalid package",
                 Format("Invalid package size!\r\rPackage \"%s\" has been corrupted, "
                        "installation impossible.",
                        package.FilePath.c_str()));
        return false;
    }
    package.Folder = run.WorkFolder + package.FileName + "\\";
    return true;
}

bool PreparePackages(TvkPackages& packages, const TPresetupRun& run) {
    double total = 0;
    for (TvkPackage* package : packages)
        if (!package->Prepared)
            total += package->PresetupSize;
    if (GetDiskFreeKB(run.WorkFolder) < int64_t(std::nearbyint(total / 1024))) {
        ErrorBox("Error", "Insufficient free disk space!");
        ClosePreparationWindows();
        return false;
    }
    double progress = 0;
    for (TvkPackage* package : packages) {
        if (package->Prepared)
            continue;
        ForceDirectories(package->Folder);
        SetPreparationCaption(package->FileName);
        TPreparation preparation(*package, run, total, progress);
        {
            TUnpacker unpacker(run.WorkFolder, package->FilePath);
            // Whether every file came out shows when the package's database is read.
            unpacker.Enumerate(
                [&preparation](const std::string& name, uint32_t, uint32_t, TDateTime,
                               std::string& destination) {
                    return preparation.BeforeFile(name, destination);
                },
                [&preparation](const std::string& name, uint32_t, uint32_t, TDateTime,
                               const std::string& destination) {
                    preparation.AfterFile(name, destination);
                    return UnpackExtract;
                },
                [&preparation](const std::string&, const std::string&, uint32_t, uint32_t block,
                               uint32_t) {
                    preparation.Progress(block);
                    return UnpackExtract;
                });
        }
        if (preparation.Refused()) {
            ClosePreparationWindows();
            return false;
        }
        package->Prepared = true;
    }
    if (!run.Silent)
        Sleep(100);
    ClosePreparationWindows();
    return true;
}

std::string DecipherFile(const std::string& path) {
    const int32_t daySerial = int32_t(std::floor(GetFileDate(path)));
    const std::string text = ReadFileToString(path);
    if (text.empty())
        return text;
    return DecipherBytes(text, daySerial);
}

namespace {

// Text that is not XML at all parses into an empty tree; a database file that is missing, empty
// or deciphered under the wrong date would so load as nothing, and the run would go on without it.
void ParseDatabase(const std::string& path, TXMLTag& tree) {
    tree.Parse(DecipherFile(path));
    if (tree.Name.empty())
        throw Exception(Format("The install database \"%s\" is missing or cannot be deciphered.",
                               path.c_str()));
}

} // namespace

void LoadPackageDatabase(TvkPackage& package) {
    TXMLTag tree;
    ParseDatabase(package.Folder + "db.pdb", tree);
    package.Merge(tree);
    // Kept in the package's own list: a new variable would otherwise join the main database's,
    // which the main database's loading clears, and every package would share one.
    if (!package.Variables)
        package.Variables = std::make_unique<TvkVariables>(&package);
    package.Variables->SetParam("Presetup", package.Folder + "presetup");
}

bool LoadMainPackage(TvkMainDatabase& db, const std::string& setupPath, const TPresetupRun& run,
                     const TvkRunInfo& info) {
    TvkPackage& main = *db.Packages->AddNew();
    main.FilePath = setupPath;
    main.Needed = true;
    if (!LocatePackage(main, run))
        return false;
    if (!PreparePackages(*db.Packages, run)) {
        ShowError("Can't prepare main package!");
        return false;
    }
    LoadPackageDatabase(main);

    db.Variables->Clear();
    TXMLTag tree;
    ParseDatabase(main.Folder + "main.pdb", tree);
    db.Merge(tree);
    // Loading cleared them; database variables of the same names give way.
    InitRuntimeVariables(db, info);
    return true;
}

} // namespace velk
