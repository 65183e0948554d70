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

std::string CurrentFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

} // namespace

bool TSetupRun::Run() {
    StartModules();
    state_.RebootRequest = false;
    // Blank runs inside attribute values of every database are kept.
    XMLParserOptions.KeepValueSpaces = true;

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
    StopModules();
    return state_.InstallResult && state_.RebootRequest;
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

void TSetupRun::Body() {
    StartRuntime();
    ReadSettings();
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
    if (!state_.SavedCurrentFolder.empty())
        SetCurrentDirectoryA(state_.SavedCurrentFolder.c_str());
    FlushIniFiles();
}

} // namespace velk
