#pragma once

#include <string>
#include <string_view>

namespace velk {

// The sections of the install log, in the numbering the engine addresses them by.
enum class TLogSection {
    CopyFiles,
    AddReg,
    AddIni,
    Shortcuts,
    CreateDirs,
    CreateKeys,
    RegServers,
    RegFonts,
    SharedFiles,
    PreRunApp,
    RunApp,
};

const char* LogSectionName(TLogSection section);

// The record of what an installation created, for the uninstaller and for the next installation
// of the product. It is an INI file written through the INI cache. While logging is off every
// write does nothing and every lookup answers "not listed".
class TInstallLog {
public:
    // Logging is on when the product is to be uninstallable and the path is not empty.
    void Start(const std::string& path, bool uninstall);
    bool On() const { return on_; }
    const std::string& Path() const { return path_; }

    void Write(TLogSection section, std::string_view name, std::string_view value = {});
    // Whether the log, on disk or still in the cache, has the entry.
    bool Listed(TLogSection section, std::string_view name) const;
    void WriteText(std::string_view section, std::string_view name, std::string_view value);

    // Creates the missing folders of the chain, top down, logging each new one; false when the
    // folder does not exist afterwards.
    bool CreateFolders(const std::string& folder);

    // Writes the log out; false when it could not be written.
    bool Save() const;

private:
    std::string path_;
    bool on_ = false;
};

// The one log of the run.
TInstallLog& InstallLog();

} // namespace velk
