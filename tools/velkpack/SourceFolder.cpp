#include "tools/velkpack/SourceFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/StrUtils.h"
#include "tools/velkpack/BuildError.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxEntryName = 255; // what cabinet readers keep of a name

enum class TPart {
    MainDatabase,
    PackageDatabase,
    Splash,
    PresetupPicture,
    Languages,
    Plugins,
    Presetup,
    Uninstaller,
    Files
};

struct TKnownName {
    const char* Name; // as the engine spells it
    TPart Part;
    bool Folder;
};

const TKnownName kKnownNames[] = {
    {"main.xml", TPart::MainDatabase, false},
    {"db.xml", TPart::PackageDatabase, false},
    {"splash.bmp", TPart::Splash, false},
    {"presetup.bmp", TPart::PresetupPicture, false},
    {"lng", TPart::Languages, true},
    {"plugins", TPart::Plugins, true},
    {"presetup", TPart::Presetup, true},
    {"Uninstall.exe", TPart::Uninstaller, false},
    {"files", TPart::Files, true},
};

const char kLayout[] = "a package source folder holds db.xml, main.xml (main package only), "
                       "splash.bmp, presetup.bmp, Uninstall.exe and the folders lng, plugins, "
                       "presetup and files";

struct TChild {
    std::string Name;
    fs::path Path;
    bool Folder = false;
    uint64_t Size = 0;
};

[[noreturn]] void Fail(const fs::path& path, const std::string& problem) {
    throw EBuildError(path.string() + ": " + problem);
}

// Windows must be able to create the name on the installing system, whose code page is unknown
// here, so names stay plain ASCII.
void CheckWindowsName(const TChild& child) {
    const std::string& name = child.Name;
    for (char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 32)
            Fail(child.Path, "the name holds a control character");
        if (std::strchr("<>:\"/\\|?*", c) != nullptr)
            Fail(child.Path,
                 Format("the name holds \"%c\", which Windows file names cannot hold", c));
        if (byte >= 128)
            Fail(child.Path, "the name is not plain ASCII: cabinet names are read in the code "
                             "page of the installing system, so rename the file");
    }
    if (name.back() == '.' || name.back() == ' ')
        Fail(child.Path, "the name ends in a dot or blank, which Windows drops");
    static const char* const kDevices[] = {
        "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
        "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    const std::string stem = name.substr(0, name.find('.'));
    for (const char* device : kDevices)
        if (SameText(stem, device))
            Fail(child.Path, "the name is a device name on Windows");
}

void CheckReadable(const TChild& child) {
    errno = 0;
    std::ifstream file(child.Path, std::ios::binary);
    if (!file.is_open())
        Fail(child.Path, std::string("cannot read the file: ") +
                             (errno != 0 ? std::strerror(errno) : "cannot open it"));
}

// The folder's entries sorted by name (links followed); two names that differ only in case are
// refused, as Windows cannot hold both.
std::vector<TChild> ReadFolder(const fs::path& folder) {
    std::vector<TChild> children;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        TChild child;
        child.Path = it->path();
        child.Name = child.Path.filename().string();
        std::error_code statusError;
        const fs::file_status status = fs::status(child.Path, statusError);
        if (statusError || !fs::exists(status))
            Fail(child.Path, "cannot read it: " + (statusError ? statusError.message()
                                                               : std::string("a broken link")));
        if (fs::is_directory(status)) {
            child.Folder = true;
        } else if (fs::is_regular_file(status)) {
            child.Size = fs::file_size(child.Path, statusError);
            if (statusError)
                Fail(child.Path, "cannot read its size: " + statusError.message());
        } else {
            Fail(child.Path, "neither a file nor a folder");
        }
        children.push_back(std::move(child));
    }
    if (error)
        Fail(folder, "cannot read the folder: " + error.message());
    std::sort(children.begin(), children.end(),
              [](const TChild& a, const TChild& b) { return a.Name < b.Name; });
    std::set<std::string> lowerNames;
    for (const TChild& child : children)
        if (!lowerNames.insert(LowerCase(child.Name)).second)
            Fail(child.Path, "another name in the folder differs from it only in case, which "
                             "Windows cannot hold apart");
    return children;
}

TSourceFile FileOf(const TChild& child, std::string name) {
    if (child.Size > uint64_t(INT32_MAX))
        Fail(child.Path, "larger than a package can carry (2 GB)");
    if (name.size() > kMaxEntryName)
        Fail(child.Path,
             Format("its cabinet name is longer than %u characters", unsigned(kMaxEntryName)));
    CheckReadable(child);
    return {std::move(name), child.Path.string(), child.Size};
}

// Every file below the folder, depth first, each folder's entries in name order.
void AddTree(const fs::path& folder, const std::string& prefix, std::vector<TSourceFile>& out) {
    if (prefix.size() > kMaxEntryName)
        Fail(folder,
             Format("its cabinet name is longer than %u characters", unsigned(kMaxEntryName)));
    for (const TChild& child : ReadFolder(folder)) {
        CheckWindowsName(child);
        if (child.Folder)
            AddTree(child.Path, prefix + child.Name + "\\", out);
        else
            out.push_back(FileOf(child, prefix + child.Name));
    }
}

// Plug-in folders are named by the plug-in's index in db.xml, as the engine formats it.
bool IsPluginIndex(const std::string& name) {
    return !name.empty() && name.size() <= 9 &&
           name.find_first_not_of("0123456789") == std::string::npos &&
           (name == "0" || name[0] != '0');
}

void AddPlugins(const fs::path& folder, std::vector<TSourceFile>& out) {
    std::vector<TChild> children = ReadFolder(folder);
    for (const TChild& child : children)
        if (!child.Folder || !IsPluginIndex(child.Name))
            Fail(child.Path, "plug-ins lie in folders numbered by their place in db.xml: "
                             "plugins/0, plugins/1 ...");
    std::stable_sort(children.begin(), children.end(), [](const TChild& a, const TChild& b) {
        return std::stoul(a.Name) < std::stoul(b.Name);
    });
    for (const TChild& child : children)
        AddTree(child.Path, "plugins\\" + child.Name + "\\", out);
}

void AddProductFiles(const fs::path& folder, std::vector<TSourceFile>& out) {
    for (const TChild& child : ReadFolder(folder)) {
        if (!child.Folder)
            Fail(child.Path, "product files lie in the folder of their component: "
                             "files/<component ID>/...");
        CheckWindowsName(child);
        AddTree(child.Path, "files\\" + child.Name + "\\", out);
    }
}

} // namespace

TSourceFolder ScanSourceFolder(const std::string& root) {
    const fs::path rootPath(root);
    std::error_code error;
    if (!fs::is_directory(rootPath, error))
        Fail(rootPath, fs::exists(rootPath, error) ? "not a folder" : "no such folder");

    TSourceFolder source;
    std::vector<TSourceFile> languages, plugins, presetup, uninstaller;
    std::set<TPart> seen;
    for (const TChild& child : ReadFolder(rootPath)) {
        const TKnownName* known = nullptr;
        for (const TKnownName& candidate : kKnownNames)
            if (SameText(child.Name, candidate.Name))
                known = &candidate;
        if (known == nullptr)
            Fail(child.Path, std::string("not part of the package: ") + kLayout);
        if (!seen.insert(known->Part).second)
            Fail(child.Path,
                 Format("a second \"%s\" (names match without regard to case)", known->Name));
        if (child.Folder != known->Folder)
            Fail(child.Path, known->Folder ? "should be a folder" : "should be a file");
        switch (known->Part) {
        case TPart::MainDatabase:
            CheckReadable(child);
            source.MainDatabase = child.Path.string();
            break;
        case TPart::PackageDatabase:
            CheckReadable(child);
            source.PackageDatabase = child.Path.string();
            break;
        case TPart::Splash:
            source.Pictures.insert(source.Pictures.begin(), FileOf(child, known->Name));
            break;
        case TPart::PresetupPicture:
            source.Pictures.push_back(FileOf(child, known->Name));
            break;
        case TPart::Languages:
            AddTree(child.Path, "lng\\", languages);
            break;
        case TPart::Plugins:
            AddPlugins(child.Path, plugins);
            break;
        case TPart::Presetup:
            AddTree(child.Path, "presetup\\", presetup);
            break;
        case TPart::Uninstaller:
            uninstaller.push_back(FileOf(child, known->Name));
            source.HasUninstaller = true;
            break;
        case TPart::Files:
            AddProductFiles(child.Path, source.ProductFiles);
            break;
        }
    }
    if (source.PackageDatabase.empty())
        Fail(rootPath, "no db.xml: every package carries its package database");
    for (auto* part : {&languages, &plugins, &presetup, &uninstaller})
        source.SetupFiles.insert(source.SetupFiles.end(), part->begin(), part->end());
    return source;
}

} // namespace velk
