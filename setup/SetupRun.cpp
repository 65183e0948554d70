#include "setup/SetupRun.h"

#include "expressions/EvaluatorSetup.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "setup/CommandLine.h"
#include "setup/MainWnd.h"
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
    if (!CreateWindows())
        return;
    EnterSetupFolder();
    SetRuntimeVariables();
    LoadMainPackage(*state_.Database, state_.SetupPath,
                    {state_.WorkFolder, state_.Silent, state_.LoaderModule}, RunInfo());
}

bool TSetupRun::CreateWindows() {
    auto loader = static_cast<HINSTANCE>(state_.LoaderModule);
    icon_ = loader ? LoadIconA(loader, "MAINICON") : nullptr;
    HINSTANCE engine = nullptr;
    // The class belongs to the module whose code runs its windows: this one.
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&CreateMainWindow), &engine);
    MainWindowHandle = CreateMainWindow(engine, static_cast<HICON>(icon_));
    if (!MainWindowHandle) {
        ShowError("Can't create main window!");
        return false;
    }
    return true;
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
    if (MainWindowHandle)
        DestroyWindow(MainWindowHandle);
    MainWindowHandle = nullptr;
    if (icon_)
        DestroyIcon(static_cast<HICON>(icon_));
    icon_ = nullptr;
}

} // namespace velk
