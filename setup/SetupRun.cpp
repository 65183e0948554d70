#include "setup/SetupRun.h"

#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "setup/CommandLine.h"

#include <commctrl.h>

namespace velk {

namespace {

// A new folder with a unique short name inside parent, created with all missing parents.
std::string CreateUniqueFolder(const std::string& parent) {
    std::string folder = IncludeTrailingBackslash(IncludeTrailingBackslash(parent) +
                                                  MakeUniqueFileName(parent, "", "", true));
    ForceDirectories(folder);
    return folder;
}

} // namespace

void TSetupRun::Run() {
    state_.RebootRequest = false;
    if (!CreateWorkFolders())
        return;

    std::string error;
    try {
        Body();
    } catch (const std::exception& e) {
        error = e.what();
    }
    try {
        CleanUp();
    } catch (const std::exception& e) {
        if (error.empty())
            error = e.what();
    }
    if (!error.empty())
        ShowError(error);
    DeleteWorkFolder();
}

bool TSetupRun::CreateWorkFolders() {
    state_.WorkFolder = CreateUniqueFolder(GetTempFolder());
    if (DirectoryExists(state_.WorkFolder))
        state_.ScratchFolder = CreateUniqueFolder(state_.WorkFolder);
    if (!DirectoryExists(state_.WorkFolder) || !DirectoryExists(state_.ScratchFolder)) {
        // Without a work folder nothing can be extracted; say where it failed.
        ShowError(Format("Can't create the temporary folder \"%s\"!", state_.WorkFolder.c_str()));
        DeleteWorkFolder();
        return false;
    }
    return true;
}

void TSetupRun::Body() {
    StartRuntime();
    ReadSettings();
    // The unpack library is written to the work folder next; from then on every exit goes
    // through the clean-up.
    cleanupArmed_ = true;
}

void TSetupRun::StartRuntime() {
    InitCommonControls();
    // Quotes in INI and language files are part of the values this program reads.
    IniStripQuotes = false;
}

void TSetupRun::ReadSettings() {
    state_.Silent = HasSwitch(state_.Arguments, "s");
    MessageBoxFlags = MB_SETFOREGROUND;
}

void TSetupRun::CleanUp() {
    if (!cleanupArmed_)
        return;
    cleanupArmed_ = false;
    FlushIniFiles();
}

void TSetupRun::DeleteWorkFolder() {
    if (!state_.WorkFolder.empty())
        DeleteFolder(state_.WorkFolder, true);
}

} // namespace velk
