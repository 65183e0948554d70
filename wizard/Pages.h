/* The pages of the wizard. */
#ifndef VELK_WIZARD_PAGES_H
#define VELK_WIZARD_PAGES_H

#include "wizard/Wizard.h"

extern const TPageKind WelcomePage;
extern const TPageKind LicensePage;
extern const TPageKind FeaturesPage;
extern const TPageKind FolderPage;
extern const TPageKind ReadyPage;
extern const TPageKind FinishPage;

/* A page procedure for pages whose controls need nothing but their texts. */
INT_PTR CALLBACK PlainPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
