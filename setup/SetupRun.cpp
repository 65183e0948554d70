#include "setup/SetupRun.h"

#include "database/VKSelection.h"
#include "database/VKVariables.h"
#include "expressions/EvaluatorSetup.h"
#include "install/Install.h"
#include "platform/StrUtils.h"
#include "platform/epFileUtils.h"
#include "platform/epFullPath.h"
#include "platform/epNTSecurity.h"
#include "platform/epRegIni.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "plugins/ErrorBox.h"
#include "plugins/InstallControl.h"
#include "plugins/LanguageList.h"
#include "plugins/Msg.h"
#include "plugins/VKPlugins.h"
#include "setup/CommandLine.h"
#include "setup/LaunchConditions.h"
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
    TvkMainDatabase& db = *state_.Database;
    InitEvaluator(db);
    db.OnFeatureChange = [](TvkFeature& feature) {
        RaiseEvent(EV_FEATURESTATECHANGED, AsData(feature.ID.c_str()),
                   reinterpret_cast<void*>(intptr_t(feature.State())), TStopMode::All);
    };
    db.OnInstallTypeChange = [](TvkInstallType& type) {
        RaiseEvent(EV_INSTALLTYPECHANGED, AsData(type.ID.c_str()), nullptr, TStopMode::All);
    };
    InitPluginHost(db);
    InitNTSecurity();
    ClearAbortRequest();
    GetPackageFolder = AskPackageFolder;
}

void TSetupRun::StopModules() {
    GetPackageFolder = nullptr;
    DoneNTSecurity();
    DonePluginHost();
    DoneEvaluator();
    state_.Database.reset();
}

TPresetupRun TSetupRun::PresetupRun() const {
    return {state_.WorkFolder, state_.Silent, state_.LoaderModule};
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
    if (!OpenMainWindow())
        return;
    InitLanguages(*state_.Database, state_.WorkFolder);
    EnterSetupFolder();
    SetRuntimeVariables();
    TvkMainDatabase& db = *state_.Database;
    if (!LoadMainPackage(db, state_.SetupPath, PresetupRun(), RunInfo()))
        return;
    ChooseLanguage();
    if (!LoadPackagePlugins(*db.Packages->Items(0)))
        return;
    ApplyDefaultSelection(db);
    if (!CheckLaunchConditions(db))
        return;
    if (!RunDialogs())
        return;
    if (!PrepareFurtherPackages())
        return;
    MergeComponents();
    if (RaiseEvent(EV_BEFOREINSTALL, 0, nullptr, TStopMode::First) != 0)
        return;
    state_.InstallResult = RunInstall(db, {state_.WorkFolder, state_.ScratchFolder});
    if (!state_.InstallResult)
        return;
    RaiseEvent(EV_AFTERINSTALL, 0, nullptr, TStopMode::All);
    if (RaiseEvent(EV_SHOWDIALOGS, 1, nullptr, TStopMode::First) == 0)
        state_.RebootRequest = GetVariableBool(&db, "Reboot", false);
}

void TSetupRun::MergeComponents() {
    TvkMainDatabase& db = *state_.Database;
    if (!db.Components)
        return;
    for (int i = 0; i < db.Components->Count(); ++i) {
        TvkComponent& stub = *db.Components->Items(i);
        const TvkPackage* package = db.Packages->FindPackage(stub.Package);
        if (package == nullptr || !package->Components)
            continue;
        for (int j = 0; j < package->Components->Count(); ++j) {
            const TvkComponent& full = *package->Components->Items(j);
            if (SameText(full.ID(), stub.ID())) {
                // Definitions do not name their own package: the stub's link is kept.
                const std::string packageName = stub.Package;
                stub.Assign(full);
                if (stub.Package.empty())
                    stub.Package = packageName;
                break;
            }
        }
    }
}

bool TSetupRun::OpenMainWindow() {
    auto instance = static_cast<TModuleHandle>(state_.LoaderModule);
    if (instance == nullptr)
        instance = GetModuleHandleA(nullptr);
    state_.MainWindow = CreateMainWindow(instance);
    MainWindowHandle = state_.MainWindow;
    if (state_.MainWindow == nullptr)
        ShowError("Can't create main window!");
    return state_.MainWindow != nullptr;
}

void TSetupRun::ChooseLanguage() {
    BuildLanguageList();
    const int index = ChooseStartLanguage();
    ActivateLanguage(LanguageCode(LanguageList()[size_t(index)]));
}

bool TSetupRun::RunDialogs() {
    RaiseEvent(EV_START, 0, nullptr, TStopMode::All);
    return RaiseEvent(EV_SHOWDIALOGS, 0, nullptr, TStopMode::First) == 0;
}

bool TSetupRun::PrepareFurtherPackages() {
    TvkMainDatabase& db = *state_.Database;
    TSelectionError error;
    if (!SelectComponents(db, WithoutExtension(ExtractFileName(state_.SetupPath)), error)) {
        ErrorBox(error.Caption, error.Text);
        return false;
    }
    const TPresetupRun run = PresetupRun();
    TvkPackages& packages = *db.Packages;
    for (int i = 1; i < packages.Count(); ++i) {
        TvkPackage& package = *packages.Items(i);
        package.FilePath = ExpandFileName(WithoutExtension(package.FileName) + ".vkp");
        if (!LocatePackage(package, run))
            return false;
    }
    if (!PreparePackages(packages, run)) {
        ErrorBox("Packages preparing error", "Can't prepare packages!");
        return false;
    }
    for (int i = 1; i < packages.Count(); ++i)
        LoadPackageDatabase(*packages.Items(i));
    // A further package's plug-ins that fail to load have had their box; the run goes on.
    for (int i = 1; i < packages.Count(); ++i)
        LoadPackagePlugins(*packages.Items(i));
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
    RaiseEvent(EV_FINISH, state_.InstallResult ? 1 : 0, nullptr, TStopMode::All);
    UnloadAll();
    if (!state_.SavedCurrentFolder.empty())
        SetCurrentDirectoryA(state_.SavedCurrentFolder.c_str());
    FlushIniFiles();
    DoneLanguages();
    DestroyMainWindow(state_.MainWindow);
    state_.MainWindow = nullptr;
    MainWindowHandle = nullptr;
}

} // namespace velk
