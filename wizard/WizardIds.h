/* Dialog templates and controls of the wizard; the tests drive the windows by these ids. */
#ifndef VELK_WIZARD_IDS_H
#define VELK_WIZARD_IDS_H

#define DLG_FRAME 100
#define DLG_WELCOME 101
#define DLG_LICENSE 102
#define DLG_FEATURES 103
#define DLG_FOLDER 104
#define DLG_READY 105
#define DLG_FINISH 106
#define DLG_PROGRESS 107
#define DLG_CONFLICT 108

/* The frame */
#define IDC_HEADING 1000
#define IDC_PAGEAREA 1001
#define IDC_BACK 1002
#define IDC_NEXT 1003

/* Pages */
#define IDC_TEXT 1010
#define IDC_LICENSE 1011
#define IDC_ACCEPT 1012
#define IDC_TYPELABEL 1013
#define IDC_TYPES 1014
#define IDC_TREE 1015
#define IDC_DESCRIPTION 1016
#define IDC_FOLDER 1017
#define IDC_BROWSE 1018
#define IDC_SPACE 1019
#define IDC_RESTARTTEXT 1020
#define IDC_RESTART 1021

/* Progress window */
#define IDC_STATUS 1030
#define IDC_FILELABEL 1031
#define IDC_FILEBAR 1032
#define IDC_TOTALLABEL 1033
#define IDC_TOTALBAR 1034

/* Version conflict: the answer is the id less IDC_ANSWERS (1 keep ... 4 replace all). */
#define IDC_PATH 1040
#define IDC_ANSWERS 1100
#define IDC_KEEP 1101
#define IDC_REPLACE 1102
#define IDC_KEEPALL 1103
#define IDC_REPLACEALL 1104

#endif
