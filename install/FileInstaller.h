#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "database/VKClasses.h"
#include "plugins/PluginRecords.h"

namespace velk {

// A file to register as COM server after the file phase.
struct TComServerEntry {
    std::string Path;
    bool InPlace = true; // false: it only takes its place at the next restart
    bool Logged = true;
};

// A font to install after the file phase: unpacked into the scratch folder, bound for its
// destination.
struct TFontEntry {
    std::string FontName;
    std::string Destination;
    std::string Unpacked;
    bool Logged = true;
};

// Where the file phase works.
struct TFileFolders {
    std::string Library; // holds unpack.dll
    std::string Scratch; // fonts wait here, with a trailing backslash
};

// The file phase: removes the files the database marks for removal, then installs the files of
// every package, out of its cabinet and from disk, deciding for each whether and where to write
// it. Installing runs on a worker thread; every event reaches the plug-ins on the main thread.
class TFileInstaller {
public:
    TFileInstaller(TvkMainDatabase& db, TFileFolders folders);

    // On the main thread, before the worker starts. Failed deletions are ignored.
    void RemoveFiles();
    // True when every file went where it belongs. After a failure that was not the user's
    // abort, FailedPath names the destination or source it failed on.
    bool InstallAll();

    bool UserAborted() const { return userAborted_; }
    const std::string& FailedPath() const { return lastDestination_; }
    const std::vector<TComServerEntry>& ComServers() const { return comServers_; }
    const std::vector<TFontEntry>& Fonts() const { return fonts_; }

private:
    // What decided a file: whether to write it and where.
    struct TDecision {
        bool Write = false;
        std::string Target;
    };

    bool CabinetPass();
    bool ExternalPass();
    void ProcessSource(const std::string& source, const std::string& expandedSrc);
    void ProcessSingleSource(const std::string& source, const std::string& expandedSrc);

    TDecision BeforeEntry(const std::string& entry, uint32_t size, uint32_t attributes, double date,
                          TvkFile* item, const std::string& destination);
    // False when a file written under a temporary name cannot be swapped in at the restart.
    bool AfterEntry(const std::string& target);
    // Whether a file that passed the other tests replaces what is at its destination.
    bool WriteDecided(const std::string& destination, double date, uint32_t size,
                      const std::string& version);
    void RaiseSharedCount(const std::string& path);
    // Adds written bytes; false when the user asked to stop.
    bool Progress(uint32_t bytes);
    void ReportProgress();

    TvkMainDatabase& db_;
    TFileFolders folders_;
    TvkPackage* package_ = nullptr;
    TvkFile* currentItem_ = nullptr; // of the external pass
    TXMLObject* currentScope_ = nullptr;
    TvkFileInfo* fileInfo_ = nullptr;
    TvkFlags flags_;
    bool destinationExisted_ = false;
    bool underTemporaryName_ = false;
    std::string pendingTemporary_; // made for the file under way, not yet handed on
    std::string lastDestination_;
    std::string lastFolder_;
    int32_t conflictAnswer_ = 1;
    int64_t overallTotal_ = 0, overallDone_ = 0, fileSize_ = 0, fileDone_ = 0;
    int32_t lastFilePercent_ = -1, lastOverallPercent_ = -1;
    bool error_ = false;
    bool userAborted_ = false;
    std::string recordName_;
    TVkFileItem record_ = {};
    std::vector<TComServerEntry> comServers_;
    std::vector<TFontEntry> fonts_;
};

} // namespace velk
