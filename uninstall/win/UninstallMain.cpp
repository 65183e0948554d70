// Uninstall.exe: reads the install log named on its command line and undoes what the
// installation recorded there, then removes the log, itself and the install folder when empty.
#include "platform/epFileUtils.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "setup/CommandLine.h"
#include "setup/loader/SystemLibrary.h"
#include "uninstall/InstallLog.h"
#include "uninstall/LogPaths.h"
#include "uninstall/UninstallArgs.h"
#include "uninstall/UninstallPlan.h"
#include "uninstall/UninstallTexts.h"
#include "uninstall/win/SelfRemoval.h"
#include "uninstall/win/UndoSteps.h"

namespace velk {
namespace {

enum TExitCode { ecDone = 0, ecIncomplete = 1, ecCancelled = 2, ecBadCommandLine = 3 };

// Message boxes in the caption and character set the installation left in the log. Texts written
// in another character set than the system's are shown through their code page.
class TBoxes {
public:
    explicit TBoxes(const TInstallLog& log)
        : caption_(UninstallText(log, utCaption)), codePage_(CodePageOf(LogCharset(log))) {}

    int Show(const std::string& text, UINT type) const {
        if (codePage_ == 0 || codePage_ == ::GetACP())
            return MessageBoxCentered(nullptr, caption_, text, type);
        return ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption_).c_str(),
                             type | MB_TASKMODAL);
    }

private:
    static UINT CodePageOf(int32_t charset) {
        CHARSETINFO info = {};
        return ::TranslateCharsetInfo(reinterpret_cast<DWORD*>(uintptr_t(charset)), &info,
                                      TCI_SRCCHARSET)
                   ? info.ciACP
                   : 0;
    }

    std::wstring Wide(const std::string& text) const {
        const int n = ::MultiByteToWideChar(codePage_, 0, text.c_str(), -1, nullptr, 0);
        std::wstring wide(size_t(n > 0 ? n : 1), L'\0');
        ::MultiByteToWideChar(codePage_, 0, text.c_str(), -1, &wide[0], n);
        return wide;
    }

    std::string caption_;
    UINT codePage_;
};

std::string ProgramPath() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

// The install folder (the uninstaller's own), then the folders above it that the installation
// created and that are still there, deepest first: the clean-up run removes them once empty.
std::vector<std::string> FoldersLeft(const std::string& program,
                                     const std::vector<TUndoStep>& steps) {
    const std::string installFolder = ExcludeTrailingBackslash(ExtractFilePath(program));
    std::vector<std::string> folders{installFolder};
    for (const TUndoStep& step : steps)
        if (step.Kind == TUndoKind::RemoveFolder && IsAncestorFolder(step.Path, installFolder) &&
            DirectoryExists(step.Path))
            folders.push_back(step.Path);
    return folders;
}

int Uninstall(const TUninstallArgs& args) {
    TInstallLog log;
    const bool readable = IsSafeLogPath(args.LogPath) && ReadInstallLog(args.LogPath, log);
    const TBoxes boxes(log);
    if (!readable) {
        if (!args.Silent)
            boxes.Show(UninstallText(log, utNoLog, args.LogPath), MB_OK | MB_ICONSTOP);
        return ecIncomplete;
    }
    if (!args.Silent &&
        boxes.Show(UninstallText(log, utConfirm), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return ecCancelled;

    const std::vector<TUndoStep> steps = PlanUninstall(log, GetWindowsFolder());
    TShowMessage showMessage;
    if (!args.Silent)
        showMessage = [&boxes](const std::string& text) {
            boxes.Show(text, MB_OK | MB_ICONINFORMATION);
        };
    const TUndoOutcome outcome = RunUndoSteps(steps, showMessage);

    // After a failure the log and the uninstaller stay, so that the uninstall can be run again
    // (as an administrator, say) for what is left.
    if (outcome.Failures == 0) {
        DeleteFileForced(args.LogPath);
        const std::string program = ProgramPath();
        if (!program.empty())
            StartSelfRemoval(program, FoldersLeft(program, steps));
    }
    if (!args.Silent) {
        std::string report = UninstallText(log, outcome.Failures ? utIncomplete : utDone);
        if (outcome.RestartNeeded)
            report += "\r\n\r\n" + UninstallText(log, utRestart);
        boxes.Show(report, MB_OK | (outcome.Failures ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
    }
    return outcome.Failures ? ecIncomplete : ecDone;
}

int Run() {
    RestrictDllSearch();
    TUninstallArgs args;
    if (!ParseUninstallArgs(SplitCommandLine(::GetCommandLineA()), args))
        return ecBadCommandLine;
    return args.Cleanup ? RunSelfRemoval(args) : Uninstall(args);
}

} // namespace
} // namespace velk

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Nothing may escape into the system's handler: a damaged log ends the run, not the program.
    try {
        return velk::Run();
    } catch (...) {
        return velk::ecIncomplete;
    }
}
