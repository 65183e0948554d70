/* The plug-in's entry points: its information record and the events it answers. */
#include "wizard/Plugin.h"

#include "wizard/Host.h"
#include "wizard/Pages.h"
#include "wizard/Progress.h"
#include "wizard/Texts.h"
#include "wizard/Wizard.h"

#include <commctrl.h>

#include <stdlib.h>
#include <string.h>

char CurrentInstallType[261];

static int Silent = -1;

/* /S or -S among the arguments of setup.exe: the run shows nothing and answers 0. */
static BOOL IsSilent(void) {
    char* arguments;
    const char* p;
    BOOL quoted = FALSE;
    if (Silent >= 0)
        return Silent;
    arguments = GetVariable("ParamStr");
    Silent = 0;
    for (p = arguments; p && *p; ++p) {
        BOOL starts = p == arguments || p[-1] == ' ';
        if (*p == '"')
            quoted = !quoted;
        else if (!quoted && starts && (*p == '/' || *p == '-') && (p[1] | 0x20) == 's' &&
                 (p[2] == 0 || p[2] == ' '))
            Silent = 1;
    }
    free(arguments);
    return Silent;
}

static int ShowDialogs(int32_t after) {
    static const TPageKind* const Before[] = {&WelcomePage, &LicensePage, &FeaturesPage,
                                              &FolderPage, &ReadyPage};
    static const TPageKind* const After[] = {&FinishPage};
    if (IsSilent())
        return 0;
    if (after) {
        RunWizard(After, 1, TRUE);
        return 0;
    }
    return RunWizard(Before, sizeof Before / sizeof Before[0], FALSE);
}

/* Which window owns the engine's error boxes. */
static HWND ActiveWindow(void) {
    return ProgressWindow() ? ProgressWindow() : WizardWindow();
}

static int32_t __stdcall EventProc(int32_t id, const char* name, int32_t data, void* param) {
    switch (id) {
    case EV_SETSTARTUPINFO:
        HostStart((const TVkStartupInfo*)(intptr_t)data);
        return 0;
    case EV_LOAD: {
        INITCOMMONCONTROLSEX controls = {sizeof controls,
                                         ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        return 0;
    }
    case EV_LANGUAGECHANGED:
        LoadTexts((const char*)(intptr_t)data);
        RefreshWizardTexts();
        RefreshProgressTexts();
        return 0;
    case EV_INSTALLTYPECHANGED:
        lstrcpynA(CurrentInstallType, (const char*)(intptr_t)data, sizeof CurrentInstallType);
        return 0;
    case EV_SHOWDIALOGS:
        return ShowDialogs(data);
    case EV_BEFOREINSTALL:
        if (!IsSilent())
            OpenProgress();
        return 0;
    case EV_AFTERINSTALL:
    case EV_FINISH:
    case EV_UNLOAD:
        CloseProgress();
        return 0;
    case EV_BEFOREPROCESSITEM:
        if ((data >> 16) == VK_ITEM_FILE && param)
            ShowStatus(((const TVkFileItem*)param)->FileName);
        return 0;
    case EV_FILEINSTALLPROGRESS:
        ShowProgress(data, (int)(intptr_t)param);
        return 0;
    case EV_VERSIONCONFLICT:
        return IsSilent() ? 0 : AskConflict(ActiveWindow(), (const char*)(intptr_t)data);
    }
    if (!name)
        return 0;
    if (!lstrcmpiA(name, "CM_GETACTIVEWINDOW"))
        return (int32_t)(intptr_t)ActiveWindow();
    if (!lstrcmpiA(name, "CM_SHOWSTATUSTEXT"))
        ShowStatus((const char*)(intptr_t)data);
    else if (!lstrcmpiA(name, "CM_HIDESTATUSTEXT"))
        ShowStatus(NULL);
    return 0;
}

void __stdcall GetPluginInfo(TVkPluginInfo* info) {
    info->RequiredEngineVersion = VK_ENGINE_VERSION;
    lstrcpynA(info->ID, "wizard", sizeof info->ID);
    info->EventProc = EventProc;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        WizardModule = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}
