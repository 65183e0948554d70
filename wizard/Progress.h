/* The window shown while the engine installs: status line, file and overall progress, Cancel;
   and the question of a version conflict. */
#ifndef VELK_WIZARD_PROGRESS_H
#define VELK_WIZARD_PROGRESS_H

#include <windows.h>

void OpenProgress(void);
void CloseProgress(void);
HWND ProgressWindow(void);
void ShowProgress(int filePercent, int totalPercent);
void ShowStatus(const char* text);
void RefreshProgressTexts(void);

/* 1 keep the file, 2 replace it, 3 keep all, 4 replace all. */
int AskConflict(HWND owner, const char* path);

#endif
