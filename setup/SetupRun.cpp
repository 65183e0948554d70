#include "setup/SetupRun.h"

#include "expressions/EvaluatorSetup.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "setup/CommandLine.h"
#include "setup/Presetup.h"

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

// Writes the bytes of a raw-data resource of the program; false when there is no such resource.
bool SaveResourceToFile(const char* name, const std::string& fileName) {
    HRSRC resource = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return false;
    const DWORD size = SizeofResource(nullptr, resource);
    // A failed write shows when the library cannot be loaded from the file.
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes, size, &written, nullptr);
        CloseHandle(file);
    }
    return true;
}

std::string CurrentFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

} // namespace

void TSetupRun::Run() {
    StartModules();
    state_.RebootRequest = false;
    // Blank runs inside attribute values of every database are kept.
    XMLParserOptions.KeepValueSpaces = true;
    if (!CreateWorkFolders()) {
        StopModules();
        return;
    }

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
    StopModules();
}

void TSetupRun::StartModules() {
    state_.Database = std::make_unique<TvkMainDatabase>(nullptr);
    InitEvaluator(*state_.Database);
}

void TSetupRun::StopModules() {
    DoneEvaluator();
    state_.Database.reset();
}

TvkRunInfo TSetupRun::RunInfo() const {
    TvkRunInfo info;
    info.SourceFolder = ExtractFilePath(state_.SetupPath);
    info.Arguments = state_.Arguments;
    return info;
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
    if (!ExtractUnpackLibrary())
        return;
    EnterSetupFolder();
    SetRuntimeVariables();
    LoadMainPackage(*state_.Database, state_.SetupPath, {state_.WorkFolder, state_.Silent},
                    RunInfo());
}

void TSetupRun::StartRuntime() {
    InitCommonControls();
    // Quotes in INI and language files are part of the values this program reads.
    IniStripQuotes = false;
}

void TSetupRun::ReadSettings() {
    // Every condition holds until the run-time variables exist.
    ConditionsEnabled = false;
    state_.Silent = HasSwitch(state_.Arguments, "s");
    MessageBoxFlags = MB_SETFOREGROUND;
}

bool TSetupRun::ExtractUnpackLibrary() {
    if (!SaveResourceToFile("UNPACK", state_.WorkFolder + "unpack.dll")) {
        ShowError("Can't extract UNPACK.DLL");
        return false;
    }
    cleanupArmed_ = true;
    return true;
}

void TSetupRun::EnterSetupFolder() {
    // Relative package names resolve against the program's folder.
    state_.SavedCurrentFolder = CurrentFolder();
    SetCurrentDirectoryA(ExtractFilePath(state_.SetupPath).c_str());
}

void TSetupRun::SetRuntimeVariables() {
    InitRuntimeVariables(*state_.Database, RunInfo());
    ConditionsEnabled = true;
}

void TSetupRun::CleanUp() {
    if (!cleanupArmed_)
        return;
    cleanupArmed_ = false;
    if (!state_.SavedCurrentFolder.empty())
        SetCurrentDirectoryA(state_.SavedCurrentFolder.c_str());
    FlushIniFiles();
}

void TSetupRun::DeleteWorkFolder() {
    if (!state_.WorkFolder.empty())
        DeleteFolder(state_.WorkFolder, true);
}

} // namespace velk
