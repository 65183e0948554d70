/* The wizard's texts: from the configuration (section "Texts.<language code>", then "Texts"),
   else English. Variable references in them are expanded each time a text is shown, so that a
   text can name the folder chosen a page earlier. */
#ifndef VELK_WIZARD_TEXTS_H
#define VELK_WIZARD_TEXTS_H

#include <windows.h>

typedef enum {
    T_CAPTION,
    T_BACK,
    T_NEXT,
    T_CANCEL,
    T_INSTALL,
    T_FINISH,
    T_WELCOMETITLE,
    T_WELCOMETEXT,
    T_LICENSETITLE,
    T_LICENSETEXT,
    T_ACCEPT,
    T_FEATURESTITLE,
    T_INSTALLTYPE,
    T_FOLDERTITLE,
    T_FOLDERTEXT,
    T_BROWSE,
    T_BROWSETEXT,
    T_FREESPACE,
    T_BADFOLDER,
    T_READYTITLE,
    T_READYTEXT,
    T_FINISHTITLE,
    T_FINISHTEXT,
    T_RESTARTTEXT,
    T_RESTART,
    T_PROGRESSCAPTION,
    T_FILEPROGRESS,
    T_TOTALPROGRESS,
    T_CANCELQUESTION,
    T_CONFLICTCAPTION,
    T_CONFLICTTEXT,
    T_KEEP,
    T_REPLACE,
    T_KEEPALL,
    T_REPLACEALL,
    T_COUNT
} TTextId;

/* Reads the texts for a language code. */
void LoadTexts(const char* language);

/* The text with its references expanded; free it with free(). Never NULL. */
char* TextOf(TTextId id);

void SetWindowTextOf(HWND window, TTextId id);
void SetItemTextOf(HWND dialog, int control, TTextId id);

/* Control texts of one dialog, ended by a zero control. */
typedef struct {
    int Control;
    TTextId Text;
} TControlText;

void SetItemTexts(HWND dialog, const TControlText* texts);

#endif
