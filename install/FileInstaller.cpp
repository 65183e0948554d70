#include "install/FileInstaller.h"

#include <windows.h>

#include "database/VKVariables.h"
#include "install/FileMatch.h"
#include "install/InstallLog.h"
#include "install/ItemEvents.h"
#include "platform/epFileFind.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epReplaceOnRestart.h"
#include "platform/epUtils2.h"
#include "plugins/InstallControl.h"
#include "plugins/MsgStore.h"
#include "plugins/VKPlugins.h"
#include "unpack/Unpacker.h"

namespace velk {

namespace {

constexpr const char* SharedDllsKey =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// A file the system names and creates in the folder, so that nobody else can take the name.
std::string SystemTemporaryFile(const std::string& folder) {
    char name[MAX_PATH] = {};
    if (GetTempFileNameA(ExcludeTrailingBackslash(folder).c_str(), "Velk", 0, name) == 0)
        return std::string();
    return name;
}

} // namespace

TFileInstaller::TFileInstaller(TvkMainDatabase& db, TFileFolders folders)
    : db_(db), folders_(std::move(folders)) {}

void TFileInstaller::RemoveFiles() {
    if (!db_.Components)
        return;
    for (int c = 0; c < db_.Components->Count(); ++c) {
        TvkComponent& component = *db_.Components->Items(c);
        if (!component.Files)
            continue;
        for (int i = 0; i < component.Files->Count(); ++i) {
            TvkFile& file = *component.Files->Items(i);
            if (file.Action != TvkAction::Remove || !file.IsActive())
                continue;
            const std::string pattern = ExpandVariables(ItemScope(db_, component), file.Dst);
            std::vector<TSearchRecEx> matches;
            TSearchRecEx rec;
            for (int found = FindFirstEx(pattern, faAnyFile, faDirectory | faVolumeID, rec);
                 found == 0; found = FindNextEx(rec))
                matches.push_back(rec);
            for (const TSearchRecEx& match : matches) {
                TVkFileItem record = {match.FullName.c_str(), match.Size, match.Time, match.Attr,
                                      1};
                if (ItemVetoed(TItemKind::Files, &record))
                    continue;
                DeleteFileForced(match.FullName);
                ItemDone(TItemKind::Files, &record);
            }
        }
    }
}

bool TFileInstaller::InstallAll() {
    conflictAnswer_ = 1;
    overallTotal_ = overallDone_ = 0;
    for (int i = 0; i < db_.Packages->Count(); ++i)
        overallTotal_ +=
            int64_t(db_.Packages->Items(i)->PresetupSize) + db_.Packages->Items(i)->FilesSize;
    bool passed = CabinetPass();
    if (passed && !AbortRequested()) {
        passed = ExternalPass();
        // The abort that a missing or failed source raised is not the user's.
        if (!passed && error_)
            ClearAbortRequest();
    }
    // A file that failed on its way to a temporary name leaves no stray file behind.
    if (!pendingTemporary_.empty())
        DeleteFileForced(pendingTemporary_);
    userAborted_ = AbortRequested();
    return passed && !userAborted_;
}

bool TFileInstaller::CabinetPass() {
    for (int i = 0; i < db_.Packages->Count(); ++i) {
        package_ = db_.Packages->Items(i);
        TUnpacker unpacker(folders_.Library, package_->FilePath);
        const bool extracted = unpacker.Enumerate(
            [this](const std::string& name, uint32_t size, uint32_t attributes, TDateTime date,
                   std::string& destination) {
                const TCabinetItem found = FindCabinetItem(db_, name);
                const std::string dst =
                    found.File
                        ? FileDestination(found.File->Src,
                                          ExpandVariables(package_, found.File->Dst), found.Rest)
                        : std::string();
                const TDecision decision =
                    BeforeEntry(name, size, attributes, date, found.File, dst);
                if (!decision.Write)
                    return AbortRequested() ? UnpackStop : UnpackSkip;
                destination = decision.Target;
                return UnpackExtract;
            },
            [this](const std::string&, uint32_t, uint32_t, TDateTime,
                   const std::string& destination) {
                return AfterEntry(destination) && !AbortRequested() ? UnpackExtract : UnpackStop;
            },
            [this](const std::string&, const std::string&, uint32_t, uint32_t block, uint32_t) {
                return Progress(block) ? UnpackExtract : UnpackStop;
            });
        if (!extracted || error_ || AbortRequested())
            return false;
    }
    return true;
}

bool TFileInstaller::ExternalPass() {
    if (!db_.Components)
        return true;
    for (int c = 0; c < db_.Components->Count(); ++c) {
        TvkComponent& component = *db_.Components->Items(c);
        if (!component.Files)
            continue;
        for (int i = 0; i < component.Files->Count(); ++i) {
            if (AbortRequested())
                return false;
            TvkFile& file = *component.Files->Items(i);
            if (file.Action == TvkAction::Remove || !file.Flags.Contains(TvkFlag::External) ||
                !file.IsActive())
                continue;
            currentScope_ = ItemScope(db_, component);
            const std::string src = ExpandVariables(currentScope_, file.Src);
            currentItem_ = &file;
            ProcessSource(src, src);
        }
    }
    return !error_ && !AbortRequested();
}

void TFileInstaller::ProcessSource(const std::string& source, const std::string& expandedSrc) {
    if (!HasWildcards(source)) {
        ProcessSingleSource(source, expandedSrc);
        return;
    }
    const std::string folder = ExtractFilePath(source);
    const std::string pattern = ExtractFileName(source);
    std::vector<std::string> files, folders;
    TSearchRecEx rec;
    for (int found = FindFirstEx(folder + "*", faAnyFile, faVolumeID, rec); found == 0;
         found = FindNextEx(rec)) {
        if (rec.Name == "." || rec.Name == ".." || !MatchesWildcard(pattern, rec.Name))
            continue;
        ((rec.Attr & faDirectory) ? folders : files).push_back(rec.Name);
    }
    for (const std::string& name : files) {
        if (AbortRequested())
            return;
        ProcessSingleSource(folder + name, expandedSrc);
    }
    for (const std::string& name : folders)
        ProcessSource(folder + name + "\\" + pattern, expandedSrc);
}

void TFileInstaller::ProcessSingleSource(const std::string& source,
                                         const std::string& expandedSrc) {
    TvkFile& item = *currentItem_;
    const DWORD attributes = GetFileAttributesA(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        lastDestination_ = source;
        error_ = true;
        RequestAbort();
        return;
    }
    const int64_t size = GetFileSizeByName(source);
    const std::string destination =
        FileDestination(expandedSrc, ExpandVariables(currentScope_, item.Dst), source);
    const TDecision decision =
        BeforeEntry(source, uint32_t(size), attributes, GetFileDate(source), &item, destination);
    if (!decision.Write)
        return;
    const bool copied = CopyFileWithProgress(
        source, decision.Target,
        [this](const std::string&, const std::string&, int32_t chunk, int64_t, int64_t) {
            return Progress(uint32_t(chunk));
        },
        false);
    if (copied ? !AfterEntry(decision.Target) : !AbortRequested()) {
        error_ = true;
        RequestAbort();
    }
}

TFileInstaller::TDecision TFileInstaller::BeforeEntry(const std::string& entry, uint32_t size,
                                                      uint32_t attributes, double date,
                                                      TvkFile* item,
                                                      const std::string& destination) {
    destinationExisted_ = false;
    flags_ = TvkFlags();
    fileInfo_ = entry.size() > 6 && package_ && package_->FileInfos
                    ? package_->FileInfos->FindFileInfo(std::string_view(entry).substr(6))
                    : nullptr;
    fileSize_ = size;
    fileDone_ = 0;
    lastFilePercent_ = -1;
    ReportProgress();
    recordName_ = ExtractFileName(entry);
    record_ = {recordName_.c_str(), int32_t(size), DosDateTime(date), int32_t(attributes), 0};

    bool skip = true;
    if (item) {
        flags_ = item->Flags;
        recordName_ = destination;
        record_.FileName = recordName_.c_str();
        skip = ItemVetoed(TItemKind::Files, &record_);
        if (FileExists(destination)) {
            destinationExisted_ = true;
            skip = skip || flags_.Contains(TvkFlag::DontOverwrite);
        }
        // A file that is not there yet has no version or date to weigh against.
        if (!skip && destinationExisted_ && !flags_.Contains(TvkFlag::NoVersion)) {
            std::string version;
            if (item->Flags.Contains(TvkFlag::External))
                GetFileVersionText(entry, version);
            else if (fileInfo_)
                version = fileInfo_->Version;
            skip = !WriteDecided(destination, date, size, version);
        }
    }
    RaiseEvent(EV_PROCESSITEM, skip ? 1 : 0, &record_, TStopMode::All);
    if (skip) {
        fileDone_ = size;
        overallDone_ += size;
        ReportProgress();
        if (item) {
            if (flags_.Contains(TvkFlag::Shared))
                RaiseSharedCount(destination);
            ItemDone(TItemKind::Files, &record_);
        }
        return {};
    }

    lastDestination_ = destination;
    TDecision decision{true, destination};
    // Files of one folder come together: its existence is checked once for them.
    const std::string folder = ExtractFilePath(destination);
    if (folder != lastFolder_ && InstallLog().CreateFolders(folder))
        lastFolder_ = folder;
    if (flags_.Contains(TvkFlag::RegFont))
        decision.Target = folders_.Scratch + ExtractFileName(destination);
    underTemporaryName_ = false;
    const bool targetExists =
        decision.Target == destination ? destinationExisted_ : FileExists(decision.Target);
    if (targetExists && !DeleteFileForced(decision.Target)) {
        // In use: written beside it and swapped in at the next restart.
        underTemporaryName_ = true;
        decision.Target = pendingTemporary_ = SystemTemporaryFile(ExtractFilePath(destination));
        if (decision.Target.empty()) {
            error_ = true;
            decision.Target = destination; // fails to open, which fails the file
        }
    }
    return decision;
}

bool TFileInstaller::WriteDecided(const std::string& destination, double date, uint32_t size,
                                  const std::string& version) {
    if (ExistingFileIsNewer(version, destination, date)) {
        if (flags_.Contains(TvkFlag::DontAsk))
            return false;
        if (conflictAnswer_ != 3 && conflictAnswer_ != 4) {
            const int32_t answer = RaiseEvent(EV_VERSIONCONFLICT, AsData(destination.c_str()),
                                              nullptr, TStopMode::First);
            if (answer >= 1 && answer <= 4)
                conflictAnswer_ = answer;
        }
        return conflictAnswer_ == 2 || conflictAnswer_ == 4;
    }
    return !(ExistingFileIsSame(version, destination, date) &&
             GetFileSizeByName(destination) == int64_t(size));
}

bool TFileInstaller::AfterEntry(const std::string& target) {
    if (underTemporaryName_) {
        // Left where nothing will move it, the new file would be lost and the old one kept while
        // the run reported success.
        if (!ReplaceFileOnRestart(target, lastDestination_)) {
            error_ = true;
            return false;
        }
        pendingTemporary_.clear();
        SetVariableBool(&db_, "Reboot", true);
    }
    const bool logged = !flags_.Contains(TvkFlag::DontLog);
    if (logged && !flags_.Contains(TvkFlag::RegFont) && !destinationExisted_)
        InstallLog().Write(TLogSection::CopyFiles, lastDestination_);
    if (flags_.Contains(TvkFlag::RegServer))
        comServers_.push_back({lastDestination_, !underTemporaryName_, logged});
    if (flags_.Contains(TvkFlag::RegFont) && fileInfo_ && !fileInfo_->FontName.empty())
        fonts_.push_back({fileInfo_->FontName, lastDestination_, target, logged});
    if (flags_.Contains(TvkFlag::Shared))
        RaiseSharedCount(lastDestination_);
    recordName_ = lastDestination_;
    record_.FileName = recordName_.c_str();
    ItemDone(TItemKind::Files, &record_);
    return true;
}

void TFileInstaller::RaiseSharedCount(const std::string& path) {
    TInstallLog& log = InstallLog();
    if (log.Listed(TLogSection::SharedFiles, path))
        return;
    int32_t count = ReadRegInteger(SharedDllsKey, path, 0);
    if (destinationExisted_ && count == 0)
        count = 1;
    WriteRegInteger(SharedDllsKey, path, count + 1);
    if (!flags_.Contains(TvkFlag::DontLog))
        log.Write(TLogSection::CopyFiles, path);
    log.Write(TLogSection::SharedFiles, path);
}

bool TFileInstaller::Progress(uint32_t bytes) {
    fileDone_ += bytes;
    overallDone_ += bytes;
    ReportProgress();
    return !AbortRequested();
}

void TFileInstaller::ReportProgress() {
    const int32_t file = FilePercent(fileDone_, fileSize_);
    const int32_t overall = OverallPercent(overallDone_, overallTotal_);
    // Blocks that move neither figure tell the plug-ins nothing new.
    if (file == lastFilePercent_ && overall == lastOverallPercent_)
        return;
    lastFilePercent_ = file;
    lastOverallPercent_ = overall;
    RaiseEvent(EV_FILEINSTALLPROGRESS, file, reinterpret_cast<void*>(intptr_t(overall)),
               TStopMode::All);
}

} // namespace velk
