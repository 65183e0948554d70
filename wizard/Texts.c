#include "wizard/Texts.h"

#include "wizard/Host.h"

#include <stdlib.h>
#include <string.h>

static const struct {
    const char* Key;
    const char* English;
} Defaults[T_COUNT] = {
    {"Caption", "%AppName% Setup"},
    {"Back", "< &Back"},
    {"Next", "&Next >"},
    {"Cancel", "Cancel"},
    {"Install", "&Install"},
    {"Finish", "&Finish"},
    {"WelcomeTitle", "Welcome"},
    {"WelcomeText", "This wizard installs %AppName% on your computer.||||Click Next to continue, "
                    "or Cancel to leave without installing."},
    {"LicenseTitle", "License agreement"},
    {"LicenseText", "Please read the license agreement of %AppName%."},
    {"Accept", "I &accept the terms of the license agreement"},
    {"FeaturesTitle", "Choose components"},
    {"InstallType", "Install &type:"},
    {"FolderTitle", "Choose the destination folder"},
    {"FolderText", "%AppName% will be installed into this folder. To install it elsewhere, type "
                   "another folder or click Browse."},
    {"Browse", "B&rowse..."},
    {"BrowseText", "Choose the folder to install %AppName% into:"},
    {"FreeSpace", "Free space on the drive:"},
    {"BadFolder", "Please give a full path, such as C:\\Programs\\%AppName%."},
    {"ReadyTitle", "Ready to install"},
    {"ReadyText", "%AppName% will be installed into||%InstallPath%.||||Click Install to begin."},
    {"FinishTitle", "Installation complete"},
    {"FinishText", "%AppName% has been installed on your computer.||||Click Finish to close "
                   "this wizard."},
    {"RestartText", "The computer must be restarted to complete the installation."},
    {"Restart", "&Restart the computer now"},
    {"ProgressCaption", "Installing %AppName%"},
    {"FileProgress", "Current file:"},
    {"TotalProgress", "Overall progress:"},
    {"CancelQuestion", "Do you want to stop the installation?"},
    {"ConflictCaption", "File conflict"},
    {"ConflictText", "The file on this computer is newer than the one being installed. Keep "
                     "the file on this computer?"},
    {"Keep", "&Keep"},
    {"Replace", "&Replace"},
    {"KeepAll", "Keep &all"},
    {"ReplaceAll", "Replace a&ll"},
};

static char* Raw[T_COUNT];

void LoadTexts(const char* language) {
    char section[300] = "Texts.";
    int i;
    lstrcpynA(section + 6, language ? language : "", (int)sizeof section - 6);
    for (i = 0; i < T_COUNT; ++i) {
        free(Raw[i]);
        Raw[i] = ConfigValue(section, Defaults[i].Key);
        if (!Raw[i])
            Raw[i] = ConfigValue("Texts", Defaults[i].Key);
    }
}

char* TextOf(TTextId id) {
    const char* raw = Raw[id] ? Raw[id] : Defaults[id].English;
    char* text = ParseText(raw);
    return text ? text : calloc(1, 1);
}

void SetWindowTextOf(HWND window, TTextId id) {
    char* text = TextOf(id);
    SetWindowTextA(window, text);
    free(text);
}

void SetItemTextOf(HWND dialog, int control, TTextId id) {
    SetWindowTextOf(GetDlgItem(dialog, control), id);
}

void SetItemTexts(HWND dialog, const TControlText* texts) {
    for (; texts->Control; ++texts)
        SetItemTextOf(dialog, texts->Control, texts->Text);
}
