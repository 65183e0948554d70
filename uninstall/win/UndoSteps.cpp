#include "uninstall/win/UndoSteps.h"

#include "platform/StrUtils.h"
#include "platform/epComServer.h"
#include "platform/epFileUtils.h"
#include "platform/epRegIni.h"
#include "platform/epReplaceOnRestart.h"
#include "platform/epShell.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"

#include <shellapi.h>

namespace velk {
namespace {

const std::string kSharedDlls = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string kFonts9x = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
const std::string kFontsNT = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

int ShowCommand(TAppShow show) {
    switch (show) {
    case TAppShow::Hide:
        return SW_HIDE;
    case TAppShow::Maximized:
        return SW_SHOWMAXIMIZED;
    case TAppShow::Minimized:
        return SW_SHOWMINNOACTIVE;
    case TAppShow::Normal:
        break;
    }
    return SW_SHOWNORMAL;
}

class TUndoRunner {
public:
    explicit TUndoRunner(const TShowMessage& showMessage) : showMessage_(showMessage) {}

    void Run(const TUndoStep& step) {
        switch (step.Kind) {
        case TUndoKind::RunApp:
            return RunApp(step.App);
        case TUndoKind::DeleteShortcut:
            DeleteOrSchedule(step.Path);
            return DeleteOrSchedule(step.Path.substr(0, step.Path.size() - 4) + ".pif");
        case TUndoKind::UnregisterServer:
            if (FileExists(step.Path) && !(step.Flag && SharedCount(step.Path) > 1))
                Count(UnregisterComFile(step.Path));
            return;
        case TUndoKind::RemoveFont:
            return RemoveFont(step.Name, step.Path);
        case TUndoKind::DeleteRegValue:
            if (RegValueExists(step.Path, step.Name))
                Count(DeleteRegValue(step.Path, step.Name));
            return;
        case TUndoKind::DeleteRegKey:
            if (step.Flag ? RegKeyExists(step.Path) : RegKeyIsEmpty(step.Path))
                Count(DeleteRegKey(step.Path, step.Flag));
            return;
        case TUndoKind::ReleaseShared:
            return ReleaseShared(step.Path, step.Flag);
        case TUndoKind::RemoveFile:
            return DeleteOrSchedule(step.Path);
        case TUndoKind::RemoveFolder:
            // Only an empty folder goes: the system refuses the others.
            ::RemoveDirectoryA(step.Path.c_str());
            return;
        }
    }

    const TUndoOutcome& Outcome() const { return outcome_; }

private:
    void Count(bool done) {
        if (!done)
            ++outcome_.Failures;
    }

    void RunApp(const TAppRecord& app) {
        if (showMessage_ && !app.Message.empty())
            showMessage_(app.Message);
        // A program named by a path that is not there fails here: the shell would ask the user
        // about it, and a silent run has nobody to answer.
        const std::string program = UnquoteText(Trim(app.CmdLine));
        if (!ExtractFilePath(program).empty() && !PathExists(program)) {
            Count(false);
            return;
        }
        const int show = ShowCommand(app.Show);
        if (app.Wait) {
            Count(RunAndWait(nullptr, app.CmdLine, app.Args, show, app.WorkDir) != -1);
            return;
        }
        const HINSTANCE started =
            ::ShellExecuteA(nullptr, nullptr, app.CmdLine.c_str(), app.Args.c_str(),
                            app.WorkDir.empty() ? nullptr : app.WorkDir.c_str(), show);
        Count(reinterpret_cast<INT_PTR>(started) > 32);
    }

    // A file in use goes when Windows restarts.
    void DeleteOrSchedule(const std::string& path) {
        if (!FileExists(path) || DeleteFileForced(path))
            return;
        ReplaceFileOnRestart(path, "");
        outcome_.RestartNeeded = true;
    }

    static int32_t SharedCount(const std::string& path) {
        return ReadRegInteger(kSharedDlls, path, 0);
    }

    // The file goes when no other product counts it any more, and only when this installation
    // put it there.
    void ReleaseShared(const std::string& path, bool installedHere) {
        const int32_t count = SharedCount(path);
        if (count > 1) {
            Count(WriteRegInteger(kSharedDlls, path, count - 1));
            return;
        }
        if (RegValueExists(kSharedDlls, path))
            Count(DeleteRegValue(kSharedDlls, path));
        if (installedHere)
            DeleteOrSchedule(path);
    }

    // The registry value goes only while it still names this font file.
    void RemoveFont(const std::string& name, const std::string& path) {
        ::RemoveFontResourceA(path.c_str());
        const std::string& key = IsWin9xFamily(OSVersion()) ? kFonts9x : kFontsNT;
        const std::string value = ReadRegString(key, name, "");
        if (SameText(value, path) || SameText(value, ExtractFileName(path)))
            Count(DeleteRegValue(key, name));
        DWORD_PTR ignored;
        ::SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000,
                              &ignored);
    }

    const TShowMessage& showMessage_;
    TUndoOutcome outcome_;
};

} // namespace

TUndoOutcome RunUndoSteps(const std::vector<TUndoStep>& steps, const TShowMessage& showMessage) {
    TUndoRunner runner(showMessage);
    for (const TUndoStep& step : steps)
        runner.Run(step);
    return runner.Outcome();
}

} // namespace velk
